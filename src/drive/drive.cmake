# Drive access: the channel and its backends, the refresh, IDENTIFY and
# S.M.A.R.T. parsing, the report.
include(GNUInstallDirs)
# Where the engine looks for torvel-ata once installed (packaging/install.cmake).
set(TORVEL_ATA_HELPER_INSTALL_PATH "${CMAKE_INSTALL_PREFIX}/lib/torvel/torvel-ata")
torvel_layer(torvel_drive drive BELOW torvel_platform SOURCES
  drive/ata_helper_protocol.cpp
  drive/attribute_names.cpp
  drive/channel.cpp
  drive/commands.cpp
  drive/drive_source.cpp
  drive/helper_backend.cpp
  drive/identify.cpp
  drive/nvme.cpp
  drive/refresh.cpp
  drive/report.cpp
  drive/sat.cpp
  drive/sections.cpp
  drive/sector_builder.cpp
  drive/sgio_backend.cpp
  drive/simulated_backend.cpp
  drive/smart_data.cpp
)
# Only the file that looks for the helper needs to know where it is installed.
set_source_files_properties(drive/helper_backend.cpp PROPERTIES
  COMPILE_DEFINITIONS "TORVEL_ATA_HELPER_INSTALL_PATH=\"${TORVEL_ATA_HELPER_INSTALL_PATH}\""
)
