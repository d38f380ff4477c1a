target_sources(torvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/artwork.cpp
  ${CMAKE_CURRENT_LIST_DIR}/button_st.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../about_page.cpp
)
