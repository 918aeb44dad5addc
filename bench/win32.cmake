# The Windows benchmarks' needs besides their sources (bench/CMakeLists.txt names them), run
# under Wine by bench/scan_win32.sh and bench/startup.sh.
set_target_properties(scan-bench PROPERTIES OUTPUT_NAME lesamo_scan_bench)

# Two floors of the Windows program's start-up: the bare dialog, and the same with the
# product's manifest.
add_executable(minimal-dialog WIN32 ${MINIMAL_DIALOG_SOURCES_win32})
add_executable(minimal-dialog-themed WIN32 ${MINIMAL_DIALOG_THEMED_SOURCES_win32})
lesamo_target_options(minimal-dialog)
lesamo_target_options(minimal-dialog-themed)
target_include_directories(minimal-dialog-themed PRIVATE ${LESAMO_GENERATED_DIR}/res)
