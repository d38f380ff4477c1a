# torvel-ata: the whitelist and reply frames, what the program sends and how
# it opens a disk, the built program on the sample drives, and the client
# backend falling back to it.
torvel_test_binary(ata_helper_tests
  ata_helper/protocol_test.cpp
  ata_helper/helper_program_test.cpp
  ata_helper/helper_backend_test.cpp
)
target_link_libraries(ata_helper_tests PRIVATE torvel_ata_serve)
target_compile_definitions(ata_helper_tests PRIVATE TORVEL_ATA_PATH="$<TARGET_FILE:torvel-ata>")
add_dependencies(ata_helper_tests torvel-ata)
