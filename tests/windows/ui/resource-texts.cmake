# Checks that the German window texts are in the executable's resources as UTF-16 and that no
# text was misread as another code page (UTF-8 read as Windows-1252 turns "ü" into "Ã¼").
# usage: cmake -DEXE=<lesamo.exe> -P resource-texts.cmake
file(READ "${EXE}" content HEX)

function(utf16_hex text out)
    # The texts below are plain ASCII apart from the marked characters.
    string(HEX "${text}" hex)
    string(REGEX REPLACE "(..)" "\\100" hex "${hex}")
    set(${out} "${hex}" PARENT_SCOPE)
endfunction()

utf16_hex("Info " before)
utf16_hex("ber Lesamo" after)
set(wanted "${before}fc00${after}")           # "Info über Lesamo", U+00FC
set(mojibake "${before}c300bc00${after}")     # "Info Ã¼ber Lesamo"
string(FIND "${content}" "${wanted}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "\"Info über Lesamo\" is not in ${EXE} as UTF-16")
endif()
string(FIND "${content}" "${mojibake}" bad)
if(NOT bad EQUAL -1)
    message(FATAL_ERROR "${EXE} holds \"Info über Lesamo\" misread as Windows-1252")
endif()
utf16_hex("Inf&o " menu_before)
utf16_hex("ber Lesamo..." menu_after)
string(FIND "${content}" "${menu_before}fc00${menu_after}" menu)
if(menu EQUAL -1)
    message(FATAL_ERROR "the system-menu string \"Inf&o über Lesamo...\" is not in ${EXE} as UTF-16")
endif()
message(STATUS "UTF-16 texts found in ${EXE}")
