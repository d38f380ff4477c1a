# The windows' decisions: plain functions, no Qt, so tests and the
# command-line companion can call them.
add_library(torvel_ui_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/disk_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/manufacturer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/volumes.cpp
)
target_link_libraries(torvel_ui_logic PUBLIC torvel_engine)
