# Read by CPack once for each generator (CPACK_PROJECT_CONFIG_FILE): the
# installer is named apart from the zip of the same build.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
