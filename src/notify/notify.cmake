# Notification transports and logs: the log file, the system summary, alert
# e-mail through the SMTP module, network messages, the system event log.
torvel_layer(torvel_notify notify BELOW torvel_config SOURCES
  notify/event_log_file.cpp
  notify/mail.cpp
  notify/net_message.cpp
  notify/system_event_log.cpp
  notify/system_summary.cpp
)
# The SMTP module's C interface; the module itself is loaded at run time.
set(_smtp_abi ${CMAKE_BINARY_DIR}/layers/torvel_notify/smtp)
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/smtp ${_smtp_abi} SYMBOLIC)

# The SMTP module: its own shared library, loaded by the mail worker from
# beside the program.
find_package(CURL REQUIRED)
add_library(torvel-smtp SHARED ${CMAKE_CURRENT_LIST_DIR}/../smtp/smtp_module.cpp)
target_include_directories(torvel-smtp PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(torvel-smtp PRIVATE CURL::libcurl)
# Never unloaded: after a time-out curl may leave a resolver thread running
# in its code, and curl_global_init then runs once per process.
target_link_options(torvel-smtp PRIVATE "LINKER:-z,nodelete")
# Only SendMail is exported; the module's helpers stay private.
set_target_properties(torvel-smtp PROPERTIES
  OUTPUT_NAME torvel-smtp
  PREFIX lib
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/src
)
