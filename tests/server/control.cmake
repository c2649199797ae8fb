dovel_test(share_server_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/connection_threads_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control_session_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hash_worker_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/local_server_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/served_files_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/side_channel_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_peer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/upload_monitor_test.cpp
)
target_include_directories(share_server_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
