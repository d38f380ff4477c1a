# Widget tests: the windows on Qt's offscreen platform, one QApplication per
# binary (qt_test_main.cpp), linked with the windows' library.
find_package(Qt6 REQUIRED COMPONENTS Test)
add_library(torvel_widget_test_main STATIC ${CMAKE_CURRENT_LIST_DIR}/qt_test_main.cpp)
target_link_libraries(torvel_widget_test_main PUBLIC torvel_ui Qt6::Test GTest::gtest)

# SCREEN: a JSON file describing the offscreen screens (default 800 × 800).
function(torvel_widget_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "SCREEN" "")
  set(platform "offscreen")
  if(arg_SCREEN)
    set(platform "offscreen:configfile=${arg_SCREEN}")
  endif()
  add_executable(${name} ${arg_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE torvel_widget_test_main torvel_test_support torvel_ui)
  target_compile_definitions(${name} PRIVATE TORVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120
                       ENVIRONMENT "QT_QPA_PLATFORM=${platform}")
endfunction()

# The main window.
include(${CMAKE_CURRENT_LIST_DIR}/main_window.cmake)
# The shared controls and the about page.
include(${CMAKE_CURRENT_LIST_DIR}/controls.cmake)
# The disk and S.M.A.R.T. information pages, the lists and the report.
include(${CMAKE_CURRENT_LIST_DIR}/drive_pages.cmake)
# The preferences and log pages.
include(${CMAKE_CURRENT_LIST_DIR}/settings_pages.cmake)
# The settings dialogs.
include(${CMAKE_CURRENT_LIST_DIR}/settings_dialogs.cmake)
# The raw and quick views.
include(${CMAKE_CURRENT_LIST_DIR}/views.cmake)
