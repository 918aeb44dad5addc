# The configuration files under Wine: the expected files of the unit tests as Wine's drive Z:
# shows the source tree, and the consumer program (config-consumer, CMakeLists.txt) that reads
# what the writers wrote into the prefix's C:\windows through the profile API.
include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)

target_compile_definitions(lesamo_tests PRIVATE LESAMO_CONFIG_DATA_DIR="Z:${CMAKE_SOURCE_DIR}/tests/data")

lesamo_add_wine_test(NAME config.consumer COMMAND config-consumer TIMEOUT 60)
lesamo_add_pe_check(NAME pe.config-consumer TARGET config-consumer SUBSYSTEM console)
