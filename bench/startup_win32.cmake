# Start-up of the Windows program against a minimal dialog program of our own, under Wine
# (bench/startup.sh); not a test.
if(WIN32)
    add_executable(startup-bench ${CMAKE_CURRENT_LIST_DIR}/StartupBench_win32.cpp)
    lesamo_target_options(startup-bench)
    add_executable(minimal-dialog WIN32 ${CMAKE_CURRENT_LIST_DIR}/floor/MinimalDialog_win32.cpp
                                        ${CMAKE_CURRENT_LIST_DIR}/floor/MinimalDialog.rc)
    lesamo_target_options(minimal-dialog)
endif()
