# The Windows test harness: running Windows programs under Wine against reader-sim (x86_64
# ones under wine64, i686 ones under the 32-bit loader), and checking the built executables. Files that call these functions include this one first:
#     include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)
include_guard(GLOBAL)

set(LESAMO_WINE_DIR ${CMAKE_CURRENT_LIST_DIR})
# Both trees register the same tests. Where the kernel runs no 32-bit code, the i686 ones end
# with status 77 and one line saying why, and ctest counts them as skipped (never as passed).
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
    set(LESAMO_PE_MACHINE x86-64)
    set(LESAMO_WINE_ARCH win64)
else()
    set(LESAMO_PE_MACHINE i386)
    set(LESAMO_WINE_ARCH win32)
endif()
set(LESAMO_WINDOWS_TEST_PREFIX "${LESAMO_WINE_ARCH}.")
set(LESAMO_WINE_SKIPPED 77)
if(CMAKE_OBJDUMP)
    set(LESAMO_OBJDUMP ${CMAKE_OBJDUMP})
else()
    set(LESAMO_OBJDUMP ${LESAMO_MINGW_TRIPLE}-objdump)
endif()

if(NOT LESAMO_NATIVE_BUILD_DIR)
    message(WARNING "LESAMO_NATIVE_BUILD_DIR is empty: the Wine tests will fail for want of "
                    "lesamo-reader-sim (configure with -DLESAMO_NATIVE_BUILD_DIR=<native build>)")
endif()
# The template prefix is made once per build tree (about 10 s) and copied for every test;
# as a fixture, its cost and any failure to run Wine at all show up in a test of their own.
add_test(NAME ${LESAMO_WINDOWS_TEST_PREFIX}wine-template
         COMMAND bash ${LESAMO_WINE_DIR}/wine-template.sh ${CMAKE_BINARY_DIR}/wine/template
                 ${LESAMO_WINE_ARCH})
set_tests_properties(${LESAMO_WINDOWS_TEST_PREFIX}wine-template PROPERTIES
    FIXTURES_SETUP lesamo_wine TIMEOUT 400 LABELS wine SKIP_RETURN_CODE ${LESAMO_WINE_SKIPPED})
lesamo_test_kind(start ${LESAMO_WINDOWS_TEST_PREFIX}wine-template)

# lesamo_add_wine_test(NAME <name> COMMAND <exe-or-target> [<arg>...]
#                      [PORTS <comN=BEHAVIOUR>...] [XVFB] [DPI <n>] [DRIVER] [TIMING]
#                      [TIMEOUT <seconds>] [LABELS <label>...])
#
# Registers the ctest test "win64.<name>" or "win32.<name>" that runs COMMAND under the tree's
# Wine loader in a fresh prefix (tests/windows/wine-run.sh --arch): reader-sim plays the PORTS
# (BEHAVIOUR as on reader-sim's command line: kavirex3[@MS][:TEXT], krm[@MS][:TEXT], silent,
# flood, hangup, none; ports not named are "none", which cannot be opened), COM1..COM4 of the prefix lead to
# them, and the test passes when the program exits with 0. A target name as the first word of
# COMMAND stands for its executable. XVFB gives the run its own X server (DISPLAY); without it
# there is no display; DPI sets the screen's scale (dots per inch, 96 when not given). DRIVER: COMMAND is a Linux program (a script with xdotool, say) that
# starts the Windows program itself with "$LESAMO_WINE" <exe>; it may change ports while it
# runs with tests/windows/sim-set.sh (${LESAMO_WINE_DIR}/sim-set.sh). TIMEOUT (default 120 s)
# kills the program; ctest's own time-out lies 60 s above, so the cleanup always runs. The
# program's environment is described at the top of wine-run.sh (LESAMO_PORTS, LESAMO_SIM_LOG,
# LESAMO_WINDIR, ...). Each test works in <build>/wine/runs/<name>, where its logs stay.
# TIMING: the test bounds a time; it runs beside no other Wine test and no heavy one
# (cmake/TestKinds.cmake).
# Status 77 (no 32-bit code runs here) makes it a skipped test.
function(lesamo_add_wine_test)
    cmake_parse_arguments(PARSE_ARGV 0 arg "XVFB;DRIVER;TIMING" "NAME;TIMEOUT;DPI" "COMMAND;PORTS;LABELS")
    if(NOT arg_NAME OR NOT arg_COMMAND)
        message(FATAL_ERROR "lesamo_add_wine_test: NAME and COMMAND are required")
    endif()
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "lesamo_add_wine_test(${arg_NAME}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 120)
    endif()
    list(POP_FRONT arg_COMMAND program)
    if(TARGET ${program})
        set(program $<TARGET_FILE:${program}>)
    endif()
    set(options)
    foreach(port IN LISTS arg_PORTS)
        list(APPEND options --port ${port})
    endforeach()
    if(arg_XVFB)
        list(APPEND options --xvfb)
    endif()
    if(arg_DPI)
        list(APPEND options --dpi ${arg_DPI})
    endif()
    if(arg_DRIVER)
        list(APPEND options --driver)
    endif()
    set(name ${LESAMO_WINDOWS_TEST_PREFIX}${arg_NAME})
    add_test(NAME ${name}
             COMMAND bash ${LESAMO_WINE_DIR}/wine-run.sh
                     --work ${CMAKE_BINARY_DIR}/wine/runs/${arg_NAME}
                     --template ${CMAKE_BINARY_DIR}/wine/template --arch ${LESAMO_WINE_ARCH}
                     --reader-sim ${LESAMO_NATIVE_BUILD_DIR}/lesamo-reader-sim
                     --timeout ${arg_TIMEOUT} ${options} -- ${program} ${arg_COMMAND})
    math(EXPR ctest_timeout "${arg_TIMEOUT} + 60")
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ctest_timeout} FIXTURES_REQUIRED lesamo_wine LABELS "wine;${arg_LABELS}"
        SKIP_RETURN_CODE ${LESAMO_WINE_SKIPPED})
    if(arg_TIMING)
        lesamo_test_kind(wine-timing ${name})
    else()
        lesamo_test_kind(wine ${name})
    endif()
endfunction()

# lesamo_add_pe_check(NAME <name> TARGET <target> SUBSYSTEM console|windows [MANIFEST])
#
# Registers the ctest test "win64.<name>" or "win32.<name>" that checks the target's
# executable with tests/windows/pe-check.sh: the tree's machine (PE32+ x86-64, or PE32 i386),
# the subsystem, imports from system DLLs only (no MinGW runtime DLLs), a random base and no
# data execution (and high-entropy addresses on x86-64), the release's link time; MANIFEST: the
# embedded application manifest too (supported Windows versions, DPI awareness). Runs in both trees.
function(lesamo_add_pe_check)
    cmake_parse_arguments(PARSE_ARGV 0 arg "MANIFEST" "NAME;TARGET;SUBSYSTEM" "")
    if(NOT arg_NAME OR NOT arg_TARGET OR NOT arg_SUBSYSTEM MATCHES "^(console|windows)$")
        message(FATAL_ERROR "lesamo_add_pe_check: NAME, TARGET and SUBSYSTEM console|windows are required")
    endif()
    set(manifest)
    if(arg_MANIFEST)
        set(manifest --manifest)
    endif()
    add_test(NAME ${LESAMO_WINDOWS_TEST_PREFIX}${arg_NAME}
             COMMAND bash ${LESAMO_WINE_DIR}/pe-check.sh --objdump ${LESAMO_OBJDUMP}
                     --machine ${LESAMO_PE_MACHINE} --subsystem ${arg_SUBSYSTEM}
                     --timestamp ${LESAMO_SOURCE_DATE_EPOCH} ${manifest} $<TARGET_FILE:${arg_TARGET}>)
    set_tests_properties(${LESAMO_WINDOWS_TEST_PREFIX}${arg_NAME} PROPERTIES TIMEOUT 60 LABELS pe)
endfunction()
