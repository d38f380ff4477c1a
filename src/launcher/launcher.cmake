# Torvel: the launcher with the tray icon and the schedule.

add_executable(Torvel
  ${CMAKE_CURRENT_LIST_DIR}/instance_lock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/launcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenshots.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_view.cpp
)
# The icons are SVG; Qt reads them through its svg plugin (libqt6svg6) at
# run time, so building needs no more than Qt Widgets.
qt_add_resources(Torvel launcher_icons
  PREFIX /launcher
  BASE ${CMAKE_CURRENT_LIST_DIR}/icons
  FILES
    ${CMAKE_CURRENT_LIST_DIR}/icons/ok.svg
    ${CMAKE_CURRENT_LIST_DIR}/icons/changed.svg
    ${CMAKE_CURRENT_LIST_DIR}/icons/bad.svg
    ${CMAKE_CURRENT_LIST_DIR}/icons/unknown.svg
)
target_link_libraries(Torvel PRIVATE torvel_engine Qt6::Widgets)
target_include_directories(Torvel PRIVATE ${PROJECT_SOURCE_DIR}/src)
# The engine names a member "slots".
target_compile_definitions(Torvel PRIVATE QT_NO_KEYWORDS)
# torvelCore is started from beside the launcher.
add_dependencies(Torvel torvelCore)
