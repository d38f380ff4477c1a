# The disk and S.M.A.R.T. information pages, their lists and the saved report.
torvel_widget_test(ui_drive_pages_tests ${CMAKE_CURRENT_LIST_DIR}/drive_pages_test.cpp)
