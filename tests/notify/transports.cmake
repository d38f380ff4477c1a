# Alert e-mail through the real SMTP module and a local aiosmtpd server
# (/usr/bin/python3 with python3-aiosmtpd), and network messages.
torvel_test_binary(notify_transport_tests
  notify/mail_test.cpp
  notify/mail_tls_test.cpp
  notify/net_message_test.cpp
  notify/samba_test.cpp
  notify/smtp_module_test.cpp
  support/child_process.cpp
)
target_include_directories(notify_transport_tests PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_definitions(notify_transport_tests PRIVATE
  TORVEL_SMTP_MODULE_PATH="$<TARGET_FILE:torvel-smtp>")
add_dependencies(notify_transport_tests torvel-smtp)
