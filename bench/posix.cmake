# The Linux benchmarks' needs besides their sources (bench/CMakeLists.txt names them).
# Google Benchmark comes from the system, so the merge's benchmark is a Linux one.
find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(merge-bench ${MERGE_BENCH_SOURCES})
    lesamo_target_options(merge-bench)
    target_link_libraries(merge-bench PRIVATE lesamo_core benchmark::benchmark)
endif()

# A scan takes about a minute; the simulator plays the lines.
target_compile_definitions(scan-bench PRIVATE LESAMO_READER_SIM="$<TARGET_FILE:reader-sim>")
add_dependencies(scan-bench reader-sim)

# The floor of the terminal program's start-up: a minimal ncursesw program of our own drawing
# its first full frame.
set(CURSES_NEED_NCURSES TRUE)
set(CURSES_NEED_WIDE TRUE)
find_package(Curses REQUIRED)
add_executable(minimal-curses ${MINIMAL_CURSES_SOURCES_posix})
lesamo_target_options(minimal-curses)
target_include_directories(minimal-curses PRIVATE ${CURSES_INCLUDE_DIRS})
target_compile_definitions(minimal-curses PRIVATE NCURSES_WIDECHAR=1)
target_link_libraries(minimal-curses PRIVATE ${CURSES_LIBRARIES})
set_target_properties(scan-bench startup-bench minimal-curses PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
