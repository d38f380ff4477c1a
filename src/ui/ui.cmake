# The windows: the main window with its pages and the shared controls. A
# static library, linked into the desktop module, the screenshot tool and
# the widget tests.
add_library(torvel_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/layout_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_fit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_ui_services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tab_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tab_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_event_loop.h
  ${CMAKE_CURRENT_LIST_DIR}/art/art.qrc
)
set_target_properties(torvel_ui PROPERTIES AUTOMOC ON AUTORCC ON)
find_package(Qt6 REQUIRED COMPONENTS Widgets)
target_link_libraries(torvel_ui PUBLIC torvel_engine Qt6::Widgets)
# The windows reach every header of src/.
target_include_directories(torvel_ui PUBLIC ${PROJECT_SOURCE_DIR}/src)

# libtorvel-qtui.so: the windows, loaded with dlopen by the core when a box
# or window is first needed on a display, never linked. The engine it works
# on is the program's own: it links libtorvel-engine.so and holds none of it.
add_library(torvel-qtui MODULE ${CMAKE_CURRENT_LIST_DIR}/qt_desktop.cpp)
set_target_properties(torvel-qtui PROPERTIES
  PREFIX "lib"
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/src
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
)
target_link_libraries(torvel-qtui PRIVATE torvel_ui)
# Only its entry point is exported.
target_link_options(torvel-qtui PRIVATE -Wl,--exclude-libs,ALL ${TORVEL_NO_UNDEFINED})

# The shared controls, the about page and the artwork.
include(${CMAKE_CURRENT_LIST_DIR}/controls/controls.cmake)
# The drive pages: disk information and S.M.A.R.T. information.
include(${CMAKE_CURRENT_LIST_DIR}/drive_pages.cmake)
# The preferences and log pages.
include(${CMAKE_CURRENT_LIST_DIR}/settings_pages.cmake)
# The engine's headers use "slots" and "signals" as plain words.
target_compile_definitions(torvel_ui PUBLIC QT_NO_KEYWORDS)
# The per-drive, per-attribute and mail settings dialogs.
include(${CMAKE_CURRENT_LIST_DIR}/settings_dialogs.cmake)
# The raw view and the quick view.
include(${CMAKE_CURRENT_LIST_DIR}/views.cmake)
