# Warnings and character set for the project's own targets (not for GoogleTest).
function(lesamo_target_options target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # Literals become the Windows-1252 text the program shows and writes.
        target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=CP1252)
    endif()
    if(WIN32)
        target_compile_definitions(${target} PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN)
    endif()
endfunction()
