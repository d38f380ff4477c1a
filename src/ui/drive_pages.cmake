# The drive pages (disk information and S.M.A.R.T. information), their two
# lists and the saved report.
target_sources(torvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/disk_info_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/smart_info_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/report_save.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls/attribute_sort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls/hot_list_ctrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/controls/info_list.cpp
)
