# The Linux stand-ins for the Windows interfaces: system facts, block
# devices, syslog, window messages and their event loop, the desktop (boxes,
# the main window, sounds) behind small interfaces.
torvel_layer(torvel_platform platform BELOW torvel_base SOURCES
  platform/block_devices.cpp
  platform/canberra_sound.cpp
  platform/desktop.cpp
  platform/event_loop.cpp
  platform/syslog_socket.cpp
  platform/system_info.cpp
  platform/termination_signals.cpp
  platform/window_messages.cpp
  platform/window_wire.cpp
)
# Only libcanberra's header: the library itself, like the desktop module, is
# opened at run time.
find_path(CANBERRA_INCLUDE_DIR canberra.h REQUIRED)
target_include_directories(torvel_platform PRIVATE ${CANBERRA_INCLUDE_DIR})
find_package(Threads REQUIRED)
target_link_libraries(torvel_platform PUBLIC Threads::Threads ${CMAKE_DL_LIBS})
