# How a test shares the machine when ctest runs tests side by side (`make test`, and the test
# presets, give ctest tests/resources.json: the resources "quiet" and "wine", 8 slots each).
#
# lesamo_test_kind(timing|heavy <test>...)
#   timing  its assertion is a wall-clock bound, or it waits on windows under Xvfb: it runs
#           beside light tests and other timing ones (they mostly wait), never beside a heavy one
#   heavy   it keeps the processors busy (the static checks, builds, the emulated guest,
#           Wine's first start, the fuzzer): it runs beside light tests only
# Tests of neither kind are light (they wait on Wine, tmux or files) and run beside anything.
# Wine programs slow one another more than a busy processor does: each Wine test takes a slot
# of "wine", and a timing one under Wine takes them all (tests/windows/wine.cmake).
# Without the resource file (a bare `ctest -j`) the kinds are not enforced.
# LESAMO_TEST_KIND_<kind> holds the properties, for tests declared elsewhere (gtest_discover_tests).
include_guard(GLOBAL)

set(LESAMO_TEST_KIND_timing RESOURCE_GROUPS "quiet:1")
set(LESAMO_TEST_KIND_heavy RESOURCE_GROUPS "quiet:8")
set(LESAMO_TEST_KIND_wine RESOURCE_GROUPS "wine:1")
set(LESAMO_TEST_KIND_wine-timing RESOURCE_GROUPS "quiet:1,wine:8")

function(lesamo_test_kind kind)
    if(NOT DEFINED LESAMO_TEST_KIND_${kind})
        message(FATAL_ERROR "lesamo_test_kind: unknown kind ${kind} (timing or heavy)")
    endif()
    set_tests_properties(${ARGN} PROPERTIES ${LESAMO_TEST_KIND_${kind}})
endfunction()
