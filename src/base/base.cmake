# The bottom layer: what every layer uses. The trace writer, the printf
# helper, the fixed time formats, the code pages, the system-call seam, the
# XDG folders, and the version, generated from project(VERSION).
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${CMAKE_BINARY_DIR}/generated/base/version.h @ONLY)
torvel_layer(torvel_base base SOURCES
  base/codepage.cpp
  base/debug_trace.cpp
  base/sprintf.cpp
  base/text_out.cpp
  base/syscalls.cpp
  base/time_format.cpp
  base/xdg_paths.cpp
)
target_include_directories(torvel_base PUBLIC ${CMAKE_BINARY_DIR}/generated)
