# Alert e-mail and network messages in the engine; the SMTP module as its own
# shared library, loaded by the mail worker at run time from beside the program.
target_sources(torvel_engine PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/notify/mail.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/notify/net_message.cpp
)
target_link_libraries(torvel_engine PUBLIC ${CMAKE_DL_LIBS})

find_package(CURL REQUIRED)
add_library(torvel-smtp SHARED ${CMAKE_CURRENT_SOURCE_DIR}/smtp/smtp_module.cpp)
target_include_directories(torvel-smtp PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
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
