target_sources(torvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/log_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/preferences_page.cpp
)
