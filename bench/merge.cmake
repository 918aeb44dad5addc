# The hbcikrnl.ini merge against copying the same text (Google Benchmark). Not a test:
# run bench/merge-bench by hand; the figures are reported as ratios.
find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(merge-bench ${CMAKE_CURRENT_LIST_DIR}/MergeBench.cpp)
    lesamo_target_options(merge-bench)
    target_link_libraries(merge-bench PRIVATE lesamo_core benchmark::benchmark)
endif()
