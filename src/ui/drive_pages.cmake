target_sources(torvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/disk_info_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/smart_info_page.cpp
)
