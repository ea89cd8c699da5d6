# The 32-bit Windows programs: the product.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MORVANE_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
