# The shared controls, the artwork, the help service and the about page.
torvel_widget_test(ui_controls_tests
  ${CMAKE_CURRENT_LIST_DIR}/controls_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_logic_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/about_page_test.cpp
)
