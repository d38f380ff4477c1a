# The per-drive, per-attribute and mail settings dialogs.
target_sources(torvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/custom_thresholds_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drive_properties_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mail_settings_dlg.cpp
)
