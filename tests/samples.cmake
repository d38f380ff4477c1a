# The bundled sample drives: the generator reproduces them, torvelctl reads
# them, and libatasmart's skdump agrees with our report on them.
torvel_test_binary(samples_tests
  samples/generator_test.cpp
  samples/report_parsing.cpp
  samples/sample_support.cpp
  samples/skdump_agreement_test.cpp
  samples/torvelctl_files_test.cpp
  samples/torvelctl_json_test.cpp
  samples/torvelctl_samples_test.cpp
)
target_compile_definitions(samples_tests PRIVATE
  TORVEL_MKSAMPLE_PATH="$<TARGET_FILE:torvel-mksample>"
  TORVEL_CTL_PATH="$<TARGET_FILE:torvelctl>"
  TORVEL_CORE_PROGRAM="$<TARGET_FILE:torvelCore>"
  TORVEL_LAUNCHER_PROGRAM="$<TARGET_FILE:Torvel>"
  TORVEL_ATA_PROGRAM="$<TARGET_FILE:torvel-ata>"
)
add_dependencies(samples_tests torvel-mksample torvelctl torvelCore Torvel torvel-ata)
if(TORVEL_SQLITE_ARCHIVE)
  target_compile_definitions(samples_tests PRIVATE TORVEL_SQLITE_LINKED=1)
endif()
