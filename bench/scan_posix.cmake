# scan-bench: whole port scans over reader-sim lines against the floor set by the probes'
# waits and read time-outs. Run by hand (it takes about a minute); not a test.
add_executable(scan-bench
    ${CMAKE_CURRENT_LIST_DIR}/ScanBench_posix.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/ReaderSimProcess_posix.cpp)
lesamo_target_options(scan-bench)
target_link_libraries(scan-bench PRIVATE lesamo_core)
target_compile_definitions(scan-bench PRIVATE LESAMO_READER_SIM="$<TARGET_FILE:reader-sim>")
add_dependencies(scan-bench reader-sim)
set_target_properties(scan-bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
