# How a test shares the machine when ctest runs tests side by side (`make test`, and the test
# presets, give ctest tests/resources.json: the resources "quiet" and "wine", 8 slots each).
#
# lesamo_test_kind(timing|busy|steady|start|heavy <test>...)
#   timing  its assertion is a wall-clock bound, or it waits on windows under Xvfb: it runs
#           beside light tests, other timing ones (they mostly wait), one busy and one steady
#           test, never beside a heavy one
#   busy    it keeps the processors busy and bounds no time of its own (the static checks, the
#           two release builds): it runs beside light, timing and steady tests, never beside
#           another busy, a start or a heavy one. A timing test's bounds have room for a machine
#           loaded by other work (they pass beside stress-ng --cpu 2); one busy test is that load
#   steady  one process busy for a set time and bound to no time of its own (the fuzzer): it
#           runs beside light and timing tests, one busy test or one start, never beside a heavy
#           one; it takes one processor of two, so beside it and a busy test a timing test still
#           has room (the stress runs load the machine more)
#   start   Wine's first start in a fresh prefix (the template every Wine test copies): it keeps
#           the processors busy and every Wine test waits on it, so it runs beside light tests
#           and the other tree's start, or alone beside the steady one and timing tests, never
#           beside a busy or a heavy one
#   heavy   it keeps the processors busy and is itself bound to time (the emulated guest): it
#           runs beside light tests only
# Tests of neither kind are light (they wait on Wine, tmux or files) and run beside anything.
# Wine programs slow one another more than a busy processor does: each Wine test takes a slot
# of "wine", and a timing one under Wine takes them all (tests/windows/wine.cmake).
# Without the resource file (a bare `ctest -j`) the kinds are not enforced.
# LESAMO_TEST_KIND_<kind> holds the properties, for tests declared elsewhere (gtest_discover_tests).
include_guard(GLOBAL)

set(LESAMO_TEST_KIND_timing RESOURCE_GROUPS "quiet:1")
set(LESAMO_TEST_KIND_busy RESOURCE_GROUPS "quiet:5")
set(LESAMO_TEST_KIND_steady RESOURCE_GROUPS "quiet:2")
set(LESAMO_TEST_KIND_start RESOURCE_GROUPS "quiet:4")
set(LESAMO_TEST_KIND_heavy RESOURCE_GROUPS "quiet:8")
set(LESAMO_TEST_KIND_wine RESOURCE_GROUPS "wine:1")
set(LESAMO_TEST_KIND_wine-timing RESOURCE_GROUPS "quiet:1,wine:8")

function(lesamo_test_kind kind)
    if(NOT DEFINED LESAMO_TEST_KIND_${kind})
        message(FATAL_ERROR "lesamo_test_kind: unknown kind ${kind} (timing, busy, steady, start, heavy, wine or wine-timing)")
    endif()
    set_tests_properties(${ARGN} PROPERTIES ${LESAMO_TEST_KIND_${kind}})
endfunction()
