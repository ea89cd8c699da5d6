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

# "+dirty" after the version when the sources differ from the last commit
# (cmake/tree-state.cmake): written now, so that it exists before anything
# compiles, and looked at again by every build, which recompiles only what
# prints it when the state changed.
find_program(MORVANE_GIT git)
mark_as_advanced(MORVANE_GIT)
set(MORVANE_TREE_STATE ${MORVANE_GENERATED_DIR}/morvane_tree_state.h)
include(${CMAKE_CURRENT_LIST_DIR}/tree-state.cmake)
morvane_write_tree_state(${PROJECT_SOURCE_DIR} "${MORVANE_GIT}" ${MORVANE_TREE_STATE})
add_custom_target(morvane_tree_state
  COMMAND ${CMAKE_COMMAND} -DMORVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR} -DMORVANE_GIT=${MORVANE_GIT}
          -DMORVANE_TREE_STATE=${MORVANE_TREE_STATE} -P ${CMAKE_CURRENT_LIST_DIR}/tree-state.cmake
  BYPRODUCTS ${MORVANE_TREE_STATE}
  COMMENT "Checking whether the sources differ from the last commit")

add_library(morvane_version INTERFACE)
target_include_directories(morvane_version INTERFACE ${MORVANE_GENERATED_DIR})
# What uses the version builds after the state is known.
add_dependencies(morvane_version morvane_tree_state)
