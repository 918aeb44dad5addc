# lesamo_tests.exe under Wine: the unit tests and the Win32 serial tests, one run per
# reader-sim port set (the serial tests check that they got theirs); and its PE check.
include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)

lesamo_add_wine_test(NAME lesamo_tests
    COMMAND lesamo_tests --gtest_filter=-Win32SerialTiming.*
    PORTS com1=kavirex3 com2=krm com3=silent com4=none
    TIMING TIMEOUT 180)
lesamo_add_wine_test(NAME lesamo_tests.timing
    COMMAND lesamo_tests --gtest_filter=Win32SerialTiming.*
    PORTS com1=kavirex3@1100 com2=kavirex3@1400 com3=krm:? com4=hangup
    TIMING TIMEOUT 120)
lesamo_add_pe_check(NAME pe.lesamo_tests TARGET lesamo_tests SUBSYSTEM console)
