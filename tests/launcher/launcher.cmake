# The Torvel program against the real torvelCore over the window-message
# sockets (its schedule arithmetic is tested with the monitor).
torvel_test_binary(launcher_tests
  ${CMAKE_CURRENT_LIST_DIR}/launcher_program_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/support/child_process.cpp
)
target_compile_definitions(launcher_tests PRIVATE TORVEL_LAUNCHER_PATH="$<TARGET_FILE:Torvel>")
add_dependencies(launcher_tests Torvel torvelCore torvel-qtui)
