dovel_test(data_transfer_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/data_transfer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/upload_stream_test.cpp
)
