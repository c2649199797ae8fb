dovel_test(share_server_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/control_session_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/test_peer.cpp
)
