# The probes as Wine hands them to the serial devices: line-scan.exe (CMakeLists.txt) runs one
# scan on the Win32 back end with the line shim preloaded into Wine (it plays a UART on the
# pseudo-terminals and logs every call), and line-check reads the log. Both come from the
# native tree (tests/uart), as reader-sim does.
include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)

lesamo_add_wine_test(NAME uart.lines DRIVER
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/uart/wine-lines.sh $<TARGET_FILE:line-scan>
            ${LESAMO_NATIVE_BUILD_DIR}/tests/uart
    PORTS com1=kavirex3 com2=krm com3=silent com4=none
    TIMING TIMEOUT 60 LABELS uart)
