# The Torvel program against the real torvelCore over the window-message
# sockets (its schedule arithmetic is tested with the monitor).
torvel_test_binary(launcher_tests
  ${CMAKE_CURRENT_LIST_DIR}/launcher_program_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/child_process.cpp
)
target_compile_definitions(launcher_tests PRIVATE TORVEL_LAUNCHER_PATH="$<TARGET_FILE:Torvel>")
add_dependencies(launcher_tests Torvel torvelCore torvel-qtui)

# Its parts in the test's process: the launcher with a stand-in core and a
# recording notifier, and the D-Bus notifier against a private dbus-daemon.
add_executable(launcher_unit_tests
  ${CMAKE_CURRENT_LIST_DIR}/dbus_notifier_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/launcher_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/launcher_test_main.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/child_process.cpp
)
target_link_libraries(launcher_unit_tests PRIVATE torvel_launcher torvel_test_support GTest::gtest)
target_compile_definitions(launcher_unit_tests PRIVATE TORVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(launcher_unit_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
