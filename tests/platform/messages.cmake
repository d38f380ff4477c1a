# A stand-in launcher the window-message tests talk to as a real process.
add_executable(test_launcher ${CMAKE_CURRENT_SOURCE_DIR}/launcher/test_launcher.cpp)
target_link_libraries(test_launcher PRIVATE torvel_engine)

torvel_test_binary(platform_messages_tests
  platform/event_loop_test.cpp
  platform/window_messages_test.cpp
)
target_compile_definitions(platform_messages_tests PRIVATE TEST_LAUNCHER_PATH="$<TARGET_FILE:test_launcher>")
add_dependencies(platform_messages_tests test_launcher)
