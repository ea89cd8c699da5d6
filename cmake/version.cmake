# Everything that carries the version is made from project(VERSION) here:
# morvane_version.h (C++ and resource scripts) and the Windows manifests.
set(MORVANE_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)

foreach(part MAJOR MINOR PATCH TWEAK)
  set(MORVANE_VERSION_${part} ${PROJECT_VERSION_${part}})
  if(MORVANE_VERSION_${part} STREQUAL "")
    set(MORVANE_VERSION_${part} 0)
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/morvane_version.h.in
               ${MORVANE_GENERATED_DIR}/morvane_version.h @ONLY)

add_library(morvane_version INTERFACE)
target_include_directories(morvane_version INTERFACE ${MORVANE_GENERATED_DIR})

if(WIN32)
  # A manifest names the processor it was built for.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MORVANE_MANIFEST_PROCESSOR amd64)
  else()
    set(MORVANE_MANIFEST_PROCESSOR x86)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/res/morvane.manifest.in
                 ${MORVANE_GENERATED_DIR}/morvane.manifest @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cli/morvane-cli.manifest.in
                 ${MORVANE_GENERATED_DIR}/morvane-cli.manifest @ONLY)
endif()
