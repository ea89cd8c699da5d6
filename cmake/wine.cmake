# Each Windows build gets a `wine` script in its build folder that runs its
# programs under the Wine of its architecture, in a prefix of its own
# (build/<preset>/wineprefix, made by scripts/prepare-wine-prefix.sh). The
# tests run through it, so they need nothing from the caller's environment.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(MORVANE_WINE_ARCH win64)
else()
  set(MORVANE_WINE_ARCH win32)
endif()
set(MORVANE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(MORVANE_WINE ${CMAKE_BINARY_DIR}/wine)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine.sh.in ${MORVANE_WINE} @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${MORVANE_WINE})
