# Shared part of both MinGW toolchain files. The -posix compilers carry the winpthreads
# threading model that GoogleTest's std::mutex needs; everything links statically so the
# executables import system DLLs only.
set(CMAKE_C_COMPILER ${LESAMO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LESAMO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LESAMO_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${LESAMO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
