# libtorvel-engine.so: every layer in one private shared library, so each
# engine function and each piece of engine state exists once per process,
# whichever program or module uses it. It lives beside the programs, which
# find it through their $ORIGIN run path; it is no public API.
add_library(torvel_engine SHARED)
get_property(_layers GLOBAL PROPERTY TORVEL_LAYERS)
# PRIVATE: the objects go into this library only. The users get the layers'
# include folders and link requirements through the INTERFACE below.
target_link_libraries(torvel_engine PRIVATE ${_layers})
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
add_library(torvel_engine_archive STATIC)
# Both give their users the layers' include folders.
foreach(layer ${_layers})
  target_sources(torvel_engine_archive PRIVATE $<TARGET_OBJECTS:${layer}>)
  foreach(engine torvel_engine torvel_engine_archive)
    target_include_directories(${engine} INTERFACE $<TARGET_PROPERTY:${layer},INTERFACE_INCLUDE_DIRECTORIES>)
  endforeach()
endforeach()
target_link_libraries(torvel_engine_archive INTERFACE Threads::Threads ${CMAKE_DL_LIBS})
