# The tests of the Linux build: GoogleTest from the system, the terminal program's text
# handling and reader-sim's words (neither needs a terminal), the integration tests' reader-sim,
# the whole terminal program under tmux, and the checks over the sources.
find_package(GTest REQUIRED)
target_link_libraries(lesamo_tests PRIVATE GTest::gtest GTest::gtest_main lesamo_curses_text reader_sim_behaviour)
target_compile_definitions(lesamo_tests PRIVATE
    LESAMO_READER_SIM="$<TARGET_FILE:reader-sim>"
    LESAMO_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
include(GoogleTest)
if(LESAMO_SANITIZE)
    set(prefix "asan.")
else()
    set(prefix "")
endif()
# The serial tests on pseudo-terminals bound their waits; the rest take milliseconds.
gtest_discover_tests(lesamo_tests TEST_PREFIX "${prefix}" DISCOVERY_TIMEOUT 60 PROPERTIES ${LESAMO_TEST_KIND_timing})

add_subdirectory(terminal)
if(NOT LESAMO_SANITIZE)
    # The probes on a real UART driver, in a guest under qemu (and the line shim for Wine).
    add_subdirectory(uart)
    # The layering holds (layering.sh lists its rules), and each breach planted into a copy of
    # the sources is caught. And the house style's checks over this build (clang-tidy, cppcheck).
    add_test(NAME layering COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/layering.sh ${CMAKE_SOURCE_DIR})
    add_test(NAME layering.planted COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/layering-planted.sh ${CMAKE_SOURCE_DIR})
    set_tests_properties(layering.planted PROPERTIES TIMEOUT 120 LABELS static)
    add_test(NAME static-checks
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/static-checks.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
    set_tests_properties(layering static-checks PROPERTIES TIMEOUT 900 LABELS static)
    lesamo_test_kind(busy static-checks)
    # The Debian package made, checked and its programs run as installed (tests/dist/deb.sh).
    add_test(NAME dist.deb COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/dist/deb.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
    set_tests_properties(dist.deb PROPERTIES TIMEOUT 180 LABELS "dist;terminal")
    # Two clones of HEAD in other folders make the same bytes (tests/dist/reproducible.sh).
    add_test(NAME dist.reproducible COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/dist/reproducible.sh ${CMAKE_SOURCE_DIR})
    set_tests_properties(dist.reproducible PROPERTIES TIMEOUT 900 LABELS dist SKIP_RETURN_CODE 77)
    lesamo_test_kind(busy dist.reproducible)
endif()
