# Window messages and the event loop.
target_sources(torvel_engine PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/event_loop.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/window_messages.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/window_wire.cpp
)
find_package(Threads REQUIRED)
target_link_libraries(torvel_engine PUBLIC Threads::Threads)
