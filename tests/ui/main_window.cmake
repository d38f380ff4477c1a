torvel_widget_test(ui_main_window_tests
  ${CMAKE_CURRENT_LIST_DIR}/main_window_logic_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_test.cpp
)
