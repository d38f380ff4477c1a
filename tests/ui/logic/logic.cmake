torvel_test_binary(ui_logic_tests
  ${CMAKE_CURRENT_LIST_DIR}/colours_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/disk_info_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hot_list_logic_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/identify_hdparm_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_logic_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/smart_info_logic_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/volumes_test.cpp
)
target_link_libraries(ui_logic_tests PRIVATE torvel_engine)
