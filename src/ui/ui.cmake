# The windows: the main window with its pages and the shared controls. A
# static library, linked into the desktop module, the screenshot tool and
# the widget tests.
add_library(torvel_ui STATIC
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_ui_services.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tab_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tab_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_event_loop.h
  ${CMAKE_CURRENT_LIST_DIR}/art/art.qrc
)
set_target_properties(torvel_ui PROPERTIES AUTOMOC ON AUTORCC ON)
target_link_libraries(torvel_ui PUBLIC torvel_ui_logic Qt6::Widgets)

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
