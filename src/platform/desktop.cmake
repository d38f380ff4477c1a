# The desktop: boxes, the main window and sounds. The engine reaches Qt only
# through libtorvel-qtui.so, which it loads when a box is first shown on a
# display, and libcanberra, loaded at the first sound.
target_sources(torvel_engine PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/canberra_sound.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/desktop.cpp
)
# Only the header: the library itself is opened at run time.
find_path(CANBERRA_INCLUDE_DIR canberra.h REQUIRED)
target_include_directories(torvel_engine PRIVATE ${CANBERRA_INCLUDE_DIR})
target_link_libraries(torvel_engine PUBLIC ${CMAKE_DL_LIBS})

find_package(Qt6 REQUIRED COMPONENTS Widgets)
# Loaded with dlopen, never linked. The windows need the engine, so the
# module carries its own copy, hidden: only its entry point is exported and
# nothing of it can bind to the program's symbols or the other way round.
add_library(torvel-qtui MODULE
  ${CMAKE_CURRENT_SOURCE_DIR}/ui/qt_desktop.cpp
)
set_target_properties(torvel-qtui PROPERTIES
  PREFIX "lib"
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/src
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
)
target_include_directories(torvel-qtui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(torvel-qtui PRIVATE torvel_ui)
# A module may link with symbols missing; this one must not, or the core
# would only find out when it loads it.
target_link_options(torvel-qtui PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined)
