# The shared controls, the about page and the artwork.
target_sources(torvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/artwork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/button_st.cpp
  ${CMAKE_CURRENT_LIST_DIR}/colour_label.cpp
  ${CMAKE_CURRENT_LIST_DIR}/etched_label.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hyperlink_label.cpp
  ${CMAKE_CURRENT_LIST_DIR}/theme_wrapper.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../about_page.cpp
)

# The help pages go beside the programs: <build>/src/help, where torvelCore
# (and the desktop module it loads) looks for them.
file(GLOB_RECURSE TORVEL_HELP_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/help/*)
set(TORVEL_HELP_STAMP ${CMAKE_BINARY_DIR}/src/help.stamp)
add_custom_command(
  OUTPUT ${TORVEL_HELP_STAMP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/src/help
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/help ${CMAKE_BINARY_DIR}/src/help
  COMMAND ${CMAKE_COMMAND} -E touch ${TORVEL_HELP_STAMP}
  DEPENDS ${TORVEL_HELP_FILES}
  COMMENT "Copying the help pages"
  VERBATIM
)
add_custom_target(torvel_help DEPENDS ${TORVEL_HELP_STAMP})
add_dependencies(torvel-qtui torvel_help)
# torvel-screenshot is defined in tools/, after this file: wire it once the
# whole project has been read.
function(torvel_help_for_tools)
  if(TARGET torvel-screenshot)
    add_dependencies(torvel-screenshot torvel_help)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL torvel_help_for_tools)
