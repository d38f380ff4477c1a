# The core and torvelctl check as programs: the launcher protocol over real
# sockets, the alert mail's outcome, and the check's exit statuses.
torvel_test_binary(core_tests
  core/check_command_test.cpp
  core/core_protocol_test.cpp
  samples/sample_support.cpp
  support/child_process.cpp
)
target_compile_definitions(core_tests PRIVATE
  TORVEL_CORE_PATH="$<TARGET_FILE:torvelCore>"
  TORVEL_CTL_PATH="$<TARGET_FILE:torvelctl>"
  TEST_LAUNCHER_PATH="$<TARGET_FILE:test_launcher>"
  TORVEL_SMTP_MODULE_PATH="$<TARGET_FILE:torvel-smtp>"
)
add_dependencies(core_tests torvelCore torvelctl test_launcher torvel-smtp)
