# The version is written once, in project(VERSION). From it the build makes
# morvane_version.h here, for the C++ code and the resource scripts; the
# manifests (ui/, cli/) and the packages (packaging.cmake) take
# PROJECT_VERSION directly.
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
