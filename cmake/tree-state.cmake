# Whether the program is built from exactly the last commit: writes
# morvane_tree_state.h with MORVANE_VERSION_SUFFIX, "+dirty" when a tracked
# file of the source tree differs from the last commit (changed, staged or
# deleted), else "". Files git does not track (build folders, editors'
# files) do not count, and a tree that is no git clone of its own (a
# source archive, even one unpacked inside another clone) or a machine
# without git gives "". The file is rewritten only when its text changes,
# so that a build recompiles the version text only when the state did.
#
# Included by cmake/version.cmake at configure time, and run by the build
# each time (cmake -P) with MORVANE_SOURCE_DIR, MORVANE_GIT and
# MORVANE_TREE_STATE set, so that a rebuild sees the tree as it is now.

function(morvane_write_tree_state source_dir git output)
  set(suffix "")
  if(git)
    # --no-optional-locks: the build never takes the index's lock, which a
    # commit made meanwhile needs.
    execute_process(COMMAND ${git} --no-optional-locks rev-parse --show-toplevel
                    WORKING_DIRECTORY ${source_dir}
                    RESULT_VARIABLE failed OUTPUT_VARIABLE top ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    file(REAL_PATH "${source_dir}" source_dir)
    if(NOT failed AND top)
      file(REAL_PATH "${top}" top)
    endif()
    if(NOT failed AND top STREQUAL source_dir)
      execute_process(COMMAND ${git} --no-optional-locks status --porcelain --untracked-files=no
                      WORKING_DIRECTORY ${source_dir}
                      RESULT_VARIABLE failed OUTPUT_VARIABLE changes ERROR_QUIET)
      if(NOT failed AND NOT changes STREQUAL "")
        set(suffix "+dirty")
      endif()
    endif()
  endif()
  set(text "// Made by the build (cmake/tree-state.cmake): whether the sources differ\n"
           "// from the last commit.\n"
           "#define MORVANE_VERSION_SUFFIX \"${suffix}\"\n")
  string(JOIN "" text ${text})
  if(EXISTS ${output})
    file(READ ${output} old)
    if(old STREQUAL text)
      return()
    endif()
  endif()
  file(WRITE ${output} "${text}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  morvane_write_tree_state("${MORVANE_SOURCE_DIR}" "${MORVANE_GIT}" "${MORVANE_TREE_STATE}")
endif()
