# Run by CPack for every package (CPACK_PRE_BUILD_SCRIPTS and
# CPACK_POST_BUILD_SCRIPTS, set in packaging.cmake): before packing, on the
# staged files; after, on the packages made (CPACK_PACKAGE_FILES). See
# normalize_package.py for what each step makes the same.
if(DEFINED CPACK_PACKAGE_FILES)
  set(step package ${CPACK_PACKAGE_FILES})
else()
  set(step staging ${CPACK_TEMPORARY_DIRECTORY})
endif()
if(NOT CPACK_MORVANE_PYTHON)
  message(FATAL_ERROR "No Python 3 was found when the build was configured: it normalizes the packages")
endif()
execute_process(COMMAND ${CPACK_MORVANE_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/normalize_package.py ${step}
                COMMAND_ERROR_IS_FATAL ANY)
