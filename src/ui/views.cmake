# The raw view and the quick view, their pictures and their decisions.
target_sources(torvel_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/raw_view_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quick_view_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/art/views.qrc
)
