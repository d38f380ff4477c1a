# libtorvel-engine.so: every layer in one private shared library, so each
# engine function and each piece of engine state exists once per process,
# whichever program or module uses it. It lives beside the programs, which
# find it through their $ORIGIN run path; it is no public API.
add_library(torvel_engine SHARED)
get_property(_layers GLOBAL PROPERTY TORVEL_LAYERS)
# PRIVATE: the objects go into this library only. The users get the layers'
# include folders and link requirements through the INTERFACE below.
target_link_libraries(torvel_engine PRIVATE ${_layers})
foreach(layer ${_layers})
  target_include_directories(torvel_engine INTERFACE $<TARGET_PROPERTY:${layer},INTERFACE_INCLUDE_DIRECTORIES>)
endforeach()
target_link_libraries(torvel_engine PUBLIC Threads::Threads ${CMAKE_DL_LIBS})
set_target_properties(torvel_engine PROPERTIES
  OUTPUT_NAME torvel-engine
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/src
)
# Its calls to its own functions bound when it is linked, not looked up by
# the dynamic loader at each start; nothing interposes on them.
target_link_options(torvel_engine PRIVATE ${TORVEL_NO_UNDEFINED} -Wl,-Bsymbolic-functions)

# The same objects as an archive, for torvelctl: a program started once a
# minute on many hosts, which with the archive, a static libstdc++ and SQLite
# loaded only when a store opens maps nothing but the C library, so the
# dynamic loader has few symbols to look up at each start.
set(_objects)
foreach(layer ${_layers})
  list(APPEND _objects $<TARGET_OBJECTS:${layer}>)
endforeach()
add_library(torvel_engine_archive STATIC ${_objects})
foreach(layer ${_layers})
  target_include_directories(torvel_engine_archive INTERFACE
    $<TARGET_PROPERTY:${layer},INTERFACE_INCLUDE_DIRECTORIES>)
endforeach()
target_link_libraries(torvel_engine_archive INTERFACE Threads::Threads ${CMAKE_DL_LIBS})
