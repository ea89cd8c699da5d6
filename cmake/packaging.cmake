# Install rules and release packages, made by CPack from this build tree
# (scripts/package.sh makes them all):
#   Windows: morvane-<version>-win32.zip or -win64.zip holding morvane.exe,
#            morvane-cli.exe, README.txt and LICENSE.txt, and
#            morvane-<version>-win32-setup.exe or -win64-setup.exe, an
#            installer of the same files for the current user, made by
#            CPack's NSIS generator (makensis) from cmake/nsis/NSIS.template.in;
#   Linux:   morvane-cli as a .deb and a .tar.gz, with its manual page.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Morvane authors")
set(CPACK_PACKAGE_CONTACT "The Morvane authors <morvane@morvane.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://morvane.example/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns a file into an encoded .~mq container and back")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# The same package from the same sources, whenever and wherever it is made:
# times from SOURCE_DATE_EPOCH (scripts/package.sh sets it), members in
# name order, owners and modes that do not depend on the machine.
find_package(Python3 COMPONENTS Interpreter)
set(CPACK_MORVANE_PYTHON ${Python3_EXECUTABLE})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack-normalize.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack-normalize.cmake)

if(WIN32)
  install(TARGETS morvane morvane-cli RUNTIME DESTINATION .)
  # The names installed, which the installer records and the uninstaller
  # removes one by one.
  set(installed morvane${CMAKE_EXECUTABLE_SUFFIX} morvane-cli${CMAKE_EXECUTABLE_SUFFIX})
  # Text files as Windows editors expect them.
  foreach(text README.md:README.txt LICENSE:LICENSE.txt)
    string(REPLACE ":" ";" text ${text})
    list(GET text 0 from)
    list(GET text 1 to)
    configure_file(${PROJECT_SOURCE_DIR}/${from} ${MORVANE_GENERATED_DIR}/${to} @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${MORVANE_GENERATED_DIR}/${to} DESTINATION .)
    list(APPEND installed ${to})
  endforeach()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(system win64)
  else()
    set(system win32)
  endif()
  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_PACKAGE_NAME morvane)
  set(CPACK_PACKAGE_FILE_NAME morvane-${PROJECT_VERSION}-${system})

  # The installer: the project's own NSIS script in place of CPack's, named
  # ...-setup.exe by cmake/cpack-options.cmake, which CPack reads for each
  # generator.
  set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/nsis)
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack-options.cmake)
  if(system STREQUAL win64)
    set(CPACK_MORVANE_NSIS_TARGET amd64-unicode)
  else()
    set(CPACK_MORVANE_NSIS_TARGET x86-unicode)
  endif()
  set(CPACK_MORVANE_ICON ${PROJECT_SOURCE_DIR}/res/morvane.ico)
  # The picture beside the welcome and finish pages, 164 x 314, made with
  # the icons by res/make_icons.py.
  set(CPACK_MORVANE_SIDE_BITMAP ${PROJECT_SOURCE_DIR}/res/installer-side.bmp)
  set(CPACK_MORVANE_LICENSE ${MORVANE_GENERATED_DIR}/LICENSE.txt)
  set(CPACK_MORVANE_VERSION_NUMBERS
      ${MORVANE_VERSION_MAJOR}.${MORVANE_VERSION_MINOR}.${MORVANE_VERSION_PATCH}.${MORVANE_VERSION_TWEAK})
  file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE CPACK_MORVANE_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
  string(JOIN "|" CPACK_MORVANE_INSTALLED_FILES ${installed})
  # The name of the mutex a running morvane.exe holds, from the one line
  # that writes it, with C++'s escaped backslash made single.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/app/running_mark.h)
  file(STRINGS ${PROJECT_SOURCE_DIR}/app/running_mark.h mutex REGEX "kRunningMutexName\\[\\] = L\"")
  string(REGEX REPLACE ".*L\"([^\"]+)\".*" "\\1" mutex "${mutex}")
  string(REPLACE "\\\\" "\\" CPACK_MORVANE_RUNNING_MUTEX "${mutex}")
  if(NOT CPACK_MORVANE_RUNNING_MUTEX MATCHES "^Local\\\\[^\\\\]+$")
    message(FATAL_ERROR "No mutex name in app/running_mark.h: [${CPACK_MORVANE_RUNNING_MUTEX}]")
  endif()
  # The resource id of the containers' document icon in morvane.exe, which
  # the file type's DefaultIcon names.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/resource.h)
  file(STRINGS ${PROJECT_SOURCE_DIR}/res/resource.h icon REGEX "^#define IDI_CONTAINER ")
  string(REGEX REPLACE "^#define IDI_CONTAINER +([0-9]+).*" "\\1" CPACK_MORVANE_CONTAINER_ICON_ID "${icon}")
  if(NOT CPACK_MORVANE_CONTAINER_ICON_ID MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No IDI_CONTAINER in res/resource.h: [${CPACK_MORVANE_CONTAINER_ICON_ID}]")
  endif()
else()
  install(TARGETS morvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The manual page, with the version filled in and compressed as Debian
  # wants it.
  set(manual ${MORVANE_GENERATED_DIR}/morvane-cli.1)
  configure_file(${PROJECT_SOURCE_DIR}/cli/morvane-cli.1.in ${manual} @ONLY)
  add_custom_command(OUTPUT ${manual}.gz
    COMMAND gzip -9 -n -c ${manual} > ${manual}.gz
    DEPENDS ${manual}
    COMMENT "Compressing the manual page")
  add_custom_target(morvane_manual ALL DEPENDS ${manual}.gz)
  install(FILES ${manual}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # Debian's place for the licence and the change log.
  set(docs ${CMAKE_INSTALL_DATAROOTDIR}/doc/morvane-cli)
  string(TIMESTAMP release_date "%a, %d %b %Y 00:00:00 +0000" UTC)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in ${MORVANE_GENERATED_DIR}/changelog @ONLY)
  add_custom_command(OUTPUT ${MORVANE_GENERATED_DIR}/changelog.gz
    COMMAND gzip -9 -n -c ${MORVANE_GENERATED_DIR}/changelog > ${MORVANE_GENERATED_DIR}/changelog.gz
    DEPENDS ${MORVANE_GENERATED_DIR}/changelog)
  add_custom_target(morvane_changelog ALL DEPENDS ${MORVANE_GENERATED_DIR}/changelog.gz)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${docs} RENAME copyright)
  install(FILES ${MORVANE_GENERATED_DIR}/changelog.gz ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${docs})

  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_NAME morvane-cli)
  string(TOLOWER ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR} system)
  set(CPACK_PACKAGE_FILE_NAME morvane-cli-${PROJECT_VERSION}-${system})
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_PACKAGE_DESCRIPTION
    "Morvane turns a file of 1 MiB or more into a .~mq container and back.\n"
    "Each byte goes through a substitution key made for the file, which the\n"
    "container stores in the clear: it hides content from a casual look and\n"
    "is not encryption. The info command shows what a container's header\n"
    "holds and whether decoding would accept it.")
  string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
endif()

include(CPack)
