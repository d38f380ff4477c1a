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
target_link_libraries(torvel_engine PUBLIC SQLite::SQLite3 Threads::Threads ${CMAKE_DL_LIBS})
set_target_properties(torvel_engine PROPERTIES
  OUTPUT_NAME torvel-engine
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/src
)
target_link_options(torvel_engine PRIVATE ${TORVEL_NO_UNDEFINED})
