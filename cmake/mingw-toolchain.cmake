# Cross-compiling the Windows programs with MinGW-w64 (posix threads, so
# std::thread and std::mutex exist). Included by the toolchain file of each
# target, which sets MORVANE_MINGW_TRIPLET first. Tests run under Wine
# through the wrapper the build writes (see cmake/wine.cmake).
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MORVANE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORVANE_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MORVANE_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MORVANE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
