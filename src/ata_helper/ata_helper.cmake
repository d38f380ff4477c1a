# torvel-ata and its client. The client side (the request format and the
# backend that falls back to the helper) lives in the engine; the program
# links only the few drive files it needs: no SQLite, no Qt, no notify
# transports in a process that holds CAP_SYS_RAWIO.
include(GNUInstallDirs)

# Installed beside the other programs (packaging/install.cmake).
set(TORVEL_ATA_HELPER_INSTALL_PATH "${CMAKE_INSTALL_PREFIX}/lib/torvel/torvel-ata")

target_sources(torvel_engine PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/drive/ata_helper_protocol.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/drive/helper_backend.cpp
)
# Only the file that looks for the helper needs to know where it is installed.
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/drive/helper_backend.cpp PROPERTIES
  COMPILE_DEFINITIONS "TORVEL_ATA_HELPER_INSTALL_PATH=\"${TORVEL_ATA_HELPER_INSTALL_PATH}\""
)

# The drive files the helper needs. channel.cpp is here for the drive-name
# parser; it pulls in the trace writer and the system summary, both small.
add_library(torvel_ata_drive STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/drive/ata_helper_protocol.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/drive/channel.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/drive/commands.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/drive/sat.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/drive/sgio_backend.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/drive/simulated_backend.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/notify/debug_trace.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/notify/sprintf.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/notify/time_format.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/block_devices.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/syscalls.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/platform/system_info.cpp
)
target_include_directories(torvel_ata_drive PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

add_executable(torvel-ata
  ${CMAKE_CURRENT_SOURCE_DIR}/ata_helper/main.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ata_helper/device_open.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ata_helper/serve.cpp
)
target_link_libraries(torvel-ata PRIVATE torvel_ata_drive)
# Beside torvelctl and torvelCore in the build tree, where they look first.
set_target_properties(torvel-ata PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
