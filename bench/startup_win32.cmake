# Start-up of the Windows program against minimal dialog programs of our own, under Wine
# (bench/startup.sh); not a test. Two floors: the bare dialog, and the same with the product's
# manifest.
add_executable(startup-bench ${CMAKE_CURRENT_LIST_DIR}/StartupBench_win32.cpp)
lesamo_target_options(startup-bench)
foreach(floor minimal-dialog minimal-dialog-themed)
    add_executable(${floor} WIN32 ${CMAKE_CURRENT_LIST_DIR}/floor/MinimalDialog_win32.cpp)
    lesamo_target_options(${floor})
endforeach()
target_sources(minimal-dialog PRIVATE ${CMAKE_CURRENT_LIST_DIR}/floor/MinimalDialog.rc)
target_sources(minimal-dialog-themed PRIVATE ${CMAKE_CURRENT_LIST_DIR}/floor/MinimalDialogThemed.rc)
target_include_directories(minimal-dialog-themed PRIVATE ${LESAMO_GENERATED_DIR}/res)
