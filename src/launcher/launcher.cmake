# Torvel: the launcher with the tray icon and the schedule.

find_package(Qt6 REQUIRED COMPONENTS DBus)

# Its parts, shared by the program and the launcher's tests.
add_library(torvel_launcher STATIC
  ${CMAKE_CURRENT_LIST_DIR}/dbus_notifier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/instance_lock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/launcher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_icons.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_view.cpp
)
set_target_properties(torvel_launcher PROPERTIES AUTOMOC ON)
# Desktop notifications go through the session bus (QtDBus, in Debian's
# qt6-base-dev; libqt6dbus6 at run time).
target_link_libraries(torvel_launcher PUBLIC torvel_engine Qt6::Widgets Qt6::DBus)
target_include_directories(torvel_launcher PUBLIC ${PROJECT_SOURCE_DIR}/src)
# The engine names a member "slots".
target_compile_definitions(torvel_launcher PUBLIC QT_NO_KEYWORDS)

add_executable(Torvel
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenshots.cpp
)
# The icons are SVG; Qt reads them through its svg plugin (libqt6svg6) at
# run time; building needs no svg module.
qt_add_resources(Torvel launcher_icons
  PREFIX /launcher
  BASE ${CMAKE_CURRENT_LIST_DIR}/icons
  FILES
    ${CMAKE_CURRENT_LIST_DIR}/icons/ok.svg
    ${CMAKE_CURRENT_LIST_DIR}/icons/changed.svg
    ${CMAKE_CURRENT_LIST_DIR}/icons/bad.svg
    ${CMAKE_CURRENT_LIST_DIR}/icons/unknown.svg
)
target_link_libraries(Torvel PRIVATE torvel_launcher)
# torvelCore is started from beside the launcher.
add_dependencies(Torvel torvelCore)
