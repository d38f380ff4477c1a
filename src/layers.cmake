# The engine's layers. Each is an object library over one folder of src/;
# the include folders it sees are its own and those of the layers below it
# that it names, each a link to that one folder in <build>/layers/<layer>.
# So an include that runs upward, or across to another folder of the same
# level, names a header the compiler cannot find, and the build fails.
#
#   torvel_layer(<name> <folder> [BELOW <layer>...] SOURCES <file>...)
function(torvel_layer name folder)
  cmake_parse_arguments(L "" "" "BELOW;SOURCES" ${ARGN})
  add_library(${name} OBJECT ${L_SOURCES})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${L_BELOW})
  set_property(GLOBAL APPEND PROPERTY TORVEL_LAYERS ${name})
endfunction()
