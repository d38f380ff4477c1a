# The preferences and log pages, their logic and the German translation.
torvel_widget_test(ui_settings_pages_tests ${CMAKE_CURRENT_LIST_DIR}/settings_pages_test.cpp)
