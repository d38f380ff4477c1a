# The desktop and its Qt module. Two binaries: the headless one must be able
# to show that Qt never gets mapped, which the Qt tests' process cannot.
torvel_test_binary(platform_desktop_tests platform/desktop_test.cpp)
torvel_test_binary(ui_tests ui/qt_desktop_test.cpp)
foreach(target platform_desktop_tests ui_tests)
  target_compile_definitions(${target} PRIVATE TORVEL_UI_MODULE_PATH="$<TARGET_FILE:torvel-qtui>")
  add_dependencies(${target} torvel-qtui)
endforeach()
