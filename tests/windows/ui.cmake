# The whole Windows program, driven like a user by win-driver (the folder beside this file) under Wine + Xvfb,
# against reader-sim readers; the checks of the built executables (both trees).
include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)

set(LESAMO_UI_SHOTS ${CMAKE_BINARY_DIR}/screenshots)
set(LESAMO_UI_DATA ${CMAKE_SOURCE_DIR}/tests/data)

# lesamo_add_ui_test(<name> PORTS <comN=B>... [ENV <NAME=VALUE>...] [DPI <n>] [PROGRAM <exe>]
#                    [TIMING] STEPS <step>...)
# Steps as in `win-driver` without arguments; "sim:comN=B" replugs a port meanwhile. DPI: the
# screen's scale (96 when not given). PROGRAM is the lesamo.exe to drive (default: the one of
# this tree). TIMING: the steps wait on Wine's asynchronous window changes (lesamo_add_wine_test).
function(lesamo_add_ui_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "TIMING" "DPI;PROGRAM" "PORTS;ENV;STEPS")
    if(NOT arg_PROGRAM)
        set(arg_PROGRAM $<TARGET_FILE:lesamo>)
    endif()
    set(options --shots ${LESAMO_UI_SHOTS} --timeout 75)
    foreach(assignment IN LISTS arg_ENV)
        list(APPEND options --env ${assignment})
    endforeach()
    set(timing)
    if(arg_TIMING)
        set(timing TIMING)
    endif()
    lesamo_add_wine_test(NAME ui.${name}
        COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ui/driver.sh $<TARGET_FILE:win-driver> ${options}
                -- ${arg_PROGRAM} ${arg_STEPS}
        PORTS ${arg_PORTS} DPI ${arg_DPI}
        XVFB DRIVER ${timing} TIMEOUT 90 LABELS ui)
endfunction()

    file(MAKE_DIRECTORY ${LESAMO_UI_SHOTS})

    # Resources, the template at run time and by keyboard, F1; nothing found; Escape.
    lesamo_add_ui_test(nothing-found-escape PORTS com1=none
        STEPS resources start template help search:none shot:main-nothing-found.png
              end:escape nofile:icchscr.ini nofile:hbcikrnl.ini)
    # One reader; Abbrechen writes nothing.
    lesamo_add_ui_test(kavirex3-com2-cancel PORTS com2=kavirex3
        STEPS start search:kavirex3@2 shot:main-after-search.png end:cancel
              nofile:icchscr.ini nofile:hbcikrnl.ini)
    # Two readers in port order, KRM first; the close box writes nothing.
    lesamo_add_ui_test(krm-com1-kavirex3-com3-close PORTS com1=krm com3=kavirex3
        STEPS start search:krm@1+kavirex3@3 end:close nofile:icchscr.ini nofile:hbcikrnl.ini)
    # Unplugged after the first search: the second still lists the reader.
    lesamo_add_ui_test(unplugged-reader-stays-listed PORTS com2=kavirex3
        STEPS start search:kavirex3@2 sim:com2=none search:kavirex3@2 end:cancel)
    # OK registers the readers: both files as the merge example, exit status 1.
    lesamo_add_ui_test(ok-writes-both-files PORTS com2=kavirex3 com3=krm
        STEPS put:hbcikrnl.ini=${LESAMO_UI_DATA}/hbcikrnl-example-old.ini start
              search:kavirex3@2+krm@3 end:ok
              file:icchscr.ini=${LESAMO_UI_DATA}/icchscr-example.ini
              file:hbcikrnl.ini=${LESAMO_UI_DATA}/hbcikrnl-example-new.ini)
    # OK where neither file can be created: two failure boxes, still exit status 1.
    lesamo_add_ui_test(ok-without-windows-dir PORTS com1=none ENV windir=C:\\no\\such\\dir
        STEPS start end:ok:hbcikrnl,icchscr)
    # The About box from the system menu, closed with OK, Enter and Escape; minimised and
    # restored, the dialog is whole again.
    lesamo_add_ui_test(about-box-minimize PORTS com1=none TIMING
        STEPS start about-menu shot:about-box.png close-about:ok about-menu close-about:enter
              about-command close-about:escape minimize restore template end:cancel)
    # A port that floods and one that hangs up mid-probe leave the dialog working.
    lesamo_add_ui_test(flood-and-hangup PORTS com1=flood com2=hangup com4=kavirex3
        STEPS start search:kavirex3@4 about-command close-about:ok search:kavirex3@4 end:cancel)

    # Started from a folder deeper than MAX_PATH characters, the program still names itself
    # after its file (the warning box's caption), not after a piece of the folder's name.
    string(REPEAT "d" 90 deep)
    set(deep ${CMAKE_BINARY_DIR}/deep/${deep}1/${deep}2/${deep}3)
    add_custom_target(lesamo-in-a-deep-folder ALL
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:lesamo> ${deep}/lesamo.exe DEPENDS lesamo VERBATIM)
    lesamo_add_ui_test(started-from-a-deep-folder PORTS com1=none PROGRAM ${deep}/lesamo.exe
        STEPS shell-start search:none end:cancel)

    # At 100, 150 and 200 % the dialogs grow with the scale and stay whole: sizes, controls,
    # texts and the picture measured as drawn, and a screenshot of each dialog.
    foreach(dpi 96 144 192)
        lesamo_add_ui_test(dpi-${dpi} PORTS com2=kavirex3 DPI ${dpi}
            STEPS start template search:kavirex3@2 layout:${dpi} shot:dpi-${dpi}-main.png
                  about-command layout:${dpi} shot:dpi-${dpi}-about.png close-about:ok end:cancel)
    endforeach()

    lesamo_add_pe_check(NAME pe.lesamo TARGET lesamo SUBSYSTEM windows MANIFEST)
    # The German texts reached the resources as UTF-16 (not as misread UTF-8).
    add_test(NAME ${LESAMO_WINDOWS_TEST_PREFIX}ui.resource-texts
             COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:lesamo>
                     -P ${CMAKE_CURRENT_LIST_DIR}/ui/resource-texts.cmake)
    set_tests_properties(${LESAMO_WINDOWS_TEST_PREFIX}ui.resource-texts PROPERTIES TIMEOUT 60 LABELS pe)
