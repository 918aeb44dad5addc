# Whole-program tests of the terminal program: the real binary in a detached tmux session
# against reader-sim, each case in a throwaway Wine-style prefix with all four ports mapped.

# The cases are the functions case_<name> of cases.sh, listed there once; a change to the
# script configures anew.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/cases.sh LESAMO_TERMINAL_CASES REGEX "^case_[a-z0-9_]+\\(\\)")
list(TRANSFORM LESAMO_TERMINAL_CASES REPLACE "^case_([a-z0-9_]+)\\(\\).*$" "\\1")
list(TRANSFORM LESAMO_TERMINAL_CASES REPLACE "_" "-")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/cases.sh)

set(environment "LESAMO=$<TARGET_FILE:lesamo>" "READER_SIM=$<TARGET_FILE:reader-sim>" "LESAMO_VERSION=${PROJECT_VERSION}")
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
