# torvel-ata: the whitelist and reply frames, what the program sends and how
# it opens a disk, the built program on the sample drives, and the client
# backend falling back to it.
torvel_test_binary(ata_helper_tests
  ata_helper/protocol_test.cpp
  ata_helper/helper_program_test.cpp
  ata_helper/helper_backend_test.cpp
  ${PROJECT_SOURCE_DIR}/src/ata_helper/device_open.cpp
  ${PROJECT_SOURCE_DIR}/src/ata_helper/serve.cpp
)
target_compile_definitions(ata_helper_tests PRIVATE TORVEL_ATA_PATH="$<TARGET_FILE:torvel-ata>")
add_dependencies(ata_helper_tests torvel-ata)
