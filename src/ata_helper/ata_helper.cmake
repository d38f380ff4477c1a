# torvel-ata: the one program with the right to send raw ATA commands. It
# links the drive layer's objects as they are built for the engine, from an
# archive, so only what it uses is in it: the request format, the SG_IO
# backend and the drive naming, the trace writer. No SQLite, no Qt, no
# notify transports in a process that holds CAP_SYS_RAWIO.
add_library(torvel_ata_objects STATIC
  $<TARGET_OBJECTS:torvel_base> $<TARGET_OBJECTS:torvel_platform> $<TARGET_OBJECTS:torvel_drive>)
target_include_directories(torvel_ata_objects PUBLIC
  $<TARGET_PROPERTY:torvel_drive,INTERFACE_INCLUDE_DIRECTORIES>
  $<TARGET_PROPERTY:torvel_platform,INTERFACE_INCLUDE_DIRECTORIES>
  $<TARGET_PROPERTY:torvel_base,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(torvel_ata_objects PUBLIC ${CMAKE_DL_LIBS})

# Its checks and its way of opening a disk, shared with its tests (which
# take the drive code from the engine library instead).
add_library(torvel_ata_serve STATIC
  ${CMAKE_CURRENT_LIST_DIR}/capabilities.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_open.cpp
  ${CMAKE_CURRENT_LIST_DIR}/serve.cpp
)
target_include_directories(torvel_ata_serve PUBLIC ${PROJECT_SOURCE_DIR}/src
  $<TARGET_PROPERTY:torvel_ata_objects,INTERFACE_INCLUDE_DIRECTORIES>)

add_executable(torvel-ata ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(torvel-ata PRIVATE torvel_ata_serve torvel_ata_objects)
# Started once per command of a refresh: the C library is all it maps.
target_link_options(torvel-ata PRIVATE -static-libstdc++ -static-libgcc ${TORVEL_BIND_NOW})
# Beside torvelctl and torvelCore in the build tree, where they look first.
# No run path at all, built or installed: it links no library of ours, and a
# program that holds capabilities must not look for libraries anywhere else.
set_target_properties(torvel-ata PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  SKIP_BUILD_RPATH ON
  INSTALL_RPATH "")
