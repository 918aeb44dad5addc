# The tests of the Windows builds: GoogleTest built from its sources with the cross compiler
# (static runtime, as the program), and the Windows tests under Wine.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
target_link_libraries(lesamo_tests PRIVATE gtest gtest_main)
add_subdirectory(windows)
