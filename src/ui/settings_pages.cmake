target_sources(torvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/log_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences_page.cpp
)
# Their decisions and file work, without Qt.
target_sources(torvel_ui_logic PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/logic/autostart.cpp
  ${CMAKE_CURRENT_LIST_DIR}/logic/log_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/logic/preferences_logic.cpp
)
