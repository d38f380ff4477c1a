# Settings store and language texts. Below drive and notify: the mail and
# network-message transports read their settings here.
torvel_layer(torvel_config config BELOW torvel_platform SOURCES
  config/ini_reader.cpp
  config/keys.cpp
  config/language.cpp
  config/profile.cpp
  config/settings.cpp
  config/settings_store.cpp
  config/sqlite_library.cpp
  config/sqlite_settings_store.cpp
)
# The header only: the library is loaded when a store opens (sqlite_library.h).
target_include_directories(torvel_config PUBLIC ${SQLite3_INCLUDE_DIRS})
target_link_libraries(torvel_config PUBLIC ${CMAKE_DL_LIBS})
# The built-in English texts, embedded from config/english.lng.
include(${CMAKE_CURRENT_LIST_DIR}/language.cmake)
