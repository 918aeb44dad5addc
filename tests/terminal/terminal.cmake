# Whole-program tests of the terminal program: the real binary in a detached tmux session
# against reader-sim, each case in a throwaway Wine-style prefix with all four ports mapped.
if(NOT TARGET lesamo OR NOT TARGET reader-sim)
    return()
endif()

# Renders a pane capture to a PNG without a display (the screenshot of the README).
add_executable(ansi-to-mvg ${CMAKE_CURRENT_LIST_DIR}/AnsiToMvg.cpp)
target_compile_options(ansi-to-mvg PRIVATE -Wall -Wextra -Wpedantic -Werror)

set(LESAMO_TERMINAL_CASES
    dialog-texts-and-tab-order
    search-nothing-found
    search-one-reader
    two-readers-then-ok
    unplugged-reader-stays-listed
    result-box-scrolls
    ok-without-search
    ok-write-failure
    cancel-writes-nothing
    signal-during-probe-frees-the-port
    about-box
    not-a-terminal
    too-small-terminal
    resize-during-scan
    lost-terminal
    crash-restores-terminal
    demo)

set(environment "LESAMO=$<TARGET_FILE:lesamo>" "READER_SIM=$<TARGET_FILE:reader-sim>")
if(LESAMO_SANITIZE)
    set(prefix "asan.")
    # A sanitizer finding ends the program with a status of its own, never 0, 1 or 2 (the
    # statuses the tests tell apart); curses' own leak on a failed start is suppressed.
    list(APPEND environment "LESAMO_SANITIZED=1" "ASAN_OPTIONS=exitcode=86" "UBSAN_OPTIONS=exitcode=86:print_stacktrace=1"
        "LSAN_OPTIONS=exitcode=86:print_suppressions=0:suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
else()
    set(prefix "")
    list(APPEND environment "ANSI_TO_MVG=$<TARGET_FILE:ansi-to-mvg>" "SCREENSHOT_DIR=${CMAKE_BINARY_DIR}/screenshots")
endif()

foreach(case IN LISTS LESAMO_TERMINAL_CASES)
    add_test(NAME ${prefix}terminal.${case} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/cases.sh ${case})
    set_tests_properties(${prefix}terminal.${case} PROPERTIES
        ENVIRONMENT "${environment}"
        TIMEOUT 90
        LABELS terminal)
endforeach()
