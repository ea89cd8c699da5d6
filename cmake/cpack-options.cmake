# Read by CPack once for each generator (CPACK_PROJECT_CONFIG_FILE): the
# installer is named apart from the zip of the same build.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
  # The installed files one by one, in the order of their list: NSIS's own
  # "File /r" would take them in the order the file system lists them,
  # which differs from machine to machine, and the installer's bytes with it.
  string(REPLACE "|" ";" files "${CPACK_MORVANE_INSTALLED_FILES}")
  set(CPACK_NSIS_FULL_INSTALL "")
  foreach(file IN LISTS files)
    string(APPEND CPACK_NSIS_FULL_INSTALL "  File \"\${INST_DIR}\\${file}\"\n")
  endforeach()
endif()
