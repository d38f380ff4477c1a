# The windows' decisions: plain functions, no Qt, so tests and the
# command-line companion call them. The top layer of the engine library.
torvel_layer(torvel_uilogic ui/logic BELOW torvel_monitor SOURCES
  ui/logic/about_logic.cpp
  ui/logic/autostart.cpp
  ui/logic/colours.cpp
  ui/logic/disk_info.cpp
  ui/logic/hot_list_logic.cpp
  ui/logic/list_logic.cpp
  ui/logic/log_logic.cpp
  ui/logic/main_window_logic.cpp
  ui/logic/manufacturer.cpp
  ui/logic/preferences_logic.cpp
  ui/logic/settings_dialogs_logic.cpp
  ui/logic/smart_info_logic.cpp
  ui/logic/views_logic.cpp
  ui/logic/volumes.cpp
)
