torvel_test_binary(sgio_tests
  drive/sat_test.cpp
  drive/sgio_backend_test.cpp
  platform/block_devices_test.cpp
)
