# The 64-bit Windows programs: an extra for 64-bit Windows, and the Windows
# test target on machines that cannot execute 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MORVANE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
