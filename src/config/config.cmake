# Settings store and language texts. Below drive and notify: the mail and
# network-message transports read their settings here.
torvel_layer(torvel_config config BELOW torvel_platform SOURCES
  config/ini_reader.cpp
  config/keys.cpp
  config/language.cpp
  config/profile.cpp
  config/settings.cpp
  config/settings_store.cpp
  config/sqlite_settings_store.cpp
)
find_package(SQLite3 REQUIRED)
target_link_libraries(torvel_config PUBLIC SQLite::SQLite3)
# The built-in English texts, embedded from config/english.lng.
include(${CMAKE_CURRENT_LIST_DIR}/language.cmake)
