# The same sources give the same programs in whatever folder they are built
# and whenever: no folder and no link time inside a binary.
#
# Paths the compiler writes (debug information, __FILE__) name the source
# tree as "." and the build tree by its place in it ("build/windows"), so a
# clone elsewhere makes the same bytes; on Linux the build id, a hash of
# the whole unstripped program, depends on them too. The build tree's map
# comes last: GCC takes the last one that matches.
file(RELATIVE_PATH morvane_build_name ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
if(morvane_build_name STREQUAL "")
  set(morvane_build_name .)
elseif(morvane_build_name MATCHES "^\\.\\.")
  set(morvane_build_name build)
endif()
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=${morvane_build_name}>")

# A Windows program's header holds a link time unless told not to; strip
# (run by CPack) then writes SOURCE_DATE_EPOCH there when it is set.
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
