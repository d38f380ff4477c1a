# The raw and quick views: their decisions and both windows over a drive.
torvel_widget_test(ui_views_tests ${CMAKE_CURRENT_LIST_DIR}/views_test.cpp
  SCREEN ${CMAKE_CURRENT_LIST_DIR}/screen-1024x600.json)
