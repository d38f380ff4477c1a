# The drive properties, attribute notification and mail settings dialogs,
# with a test mail through the real SMTP module to a local aiosmtpd server.
torvel_widget_test(ui_settings_dialogs_tests
  ${CMAKE_CURRENT_LIST_DIR}/settings_dialogs_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_dialogs_logic_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_fit_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../support/child_process.cpp
)
target_compile_definitions(ui_settings_dialogs_tests PRIVATE
  TORVEL_SMTP_MODULE_PATH="$<TARGET_FILE:torvel-smtp>")
add_dependencies(ui_settings_dialogs_tests torvel-smtp)
