# The scan's wall time on the Win32 back end against reader-sim's ports, measured against the
# protocol's fixed waits. Run by bench/scan_win32.sh under Wine; not a ctest test.
add_executable(lesamo_scan_bench ${CMAKE_CURRENT_LIST_DIR}/ScanBench_win32.cpp)
lesamo_target_options(lesamo_scan_bench)
target_link_libraries(lesamo_scan_bench PRIVATE lesamo_core)
