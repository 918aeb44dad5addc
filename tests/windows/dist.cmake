# The zip of the shipped program, as a user unpacks it (the i686 tree only): made, unpacked and
# checked by tests/dist/zip.sh, then the unpacked lesamo.exe registers two readers with OK.
# lesamo_add_ui_test and LESAMO_UI_DATA come from ui.cmake, included before this file.
if(LESAMO_RELEASE STREQUAL "zip")
    set(unpacked ${CMAKE_BINARY_DIR}/dist-test/unpacked)
    set(name ${LESAMO_WINDOWS_TEST_PREFIX}dist.zip)
    add_test(NAME ${name}
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/dist/zip.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION} ${unpacked}
                     ${LESAMO_OBJDUMP} ${LESAMO_SOURCE_DATE_EPOCH})
    set_tests_properties(${name} PROPERTIES FIXTURES_SETUP lesamo_dist_zip TIMEOUT 60 LABELS dist)

    lesamo_add_ui_test(dist-zip-ok-writes-both-files PROGRAM ${unpacked}/lesamo.exe PORTS com2=kavirex3 com3=krm
        STEPS put:hbcikrnl.ini=${LESAMO_UI_DATA}/hbcikrnl-example-old.ini start
              search:kavirex3@2+krm@3 end:ok
              file:icchscr.ini=${LESAMO_UI_DATA}/icchscr-example.ini
              file:hbcikrnl.ini=${LESAMO_UI_DATA}/hbcikrnl-example-new.ini)
    set_property(TEST ${LESAMO_WINDOWS_TEST_PREFIX}ui.dist-zip-ok-writes-both-files APPEND PROPERTY
        FIXTURES_REQUIRED lesamo_dist_zip)
    set_property(TEST ${LESAMO_WINDOWS_TEST_PREFIX}ui.dist-zip-ok-writes-both-files APPEND PROPERTY LABELS dist)
endif()
