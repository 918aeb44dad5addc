# Start-up of the terminal program to its first full frame against a minimal ncursesw program
# of our own (bench/startup.sh); not a test.
set(CURSES_NEED_NCURSES TRUE)
set(CURSES_NEED_WIDE TRUE)
find_package(Curses REQUIRED)
add_executable(startup-bench ${CMAKE_CURRENT_LIST_DIR}/StartupBench_posix.cpp)
lesamo_target_options(startup-bench)
add_executable(minimal-curses ${CMAKE_CURRENT_LIST_DIR}/floor/MinimalCurses_posix.cpp)
lesamo_target_options(minimal-curses)
target_include_directories(minimal-curses PRIVATE ${CURSES_INCLUDE_DIRS})
target_compile_definitions(minimal-curses PRIVATE NCURSES_WIDECHAR=1)
target_link_libraries(minimal-curses PRIVATE ${CURSES_LIBRARIES})
set_target_properties(startup-bench minimal-curses PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
