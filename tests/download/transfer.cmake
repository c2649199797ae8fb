dovel_test(transfer_unit_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/download_pacing_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_move_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/received_ranges_test.cpp
)
dovel_test(transfer_connection_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/connect_worker_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/share_peer.cpp
)
dovel_test(transfer_run_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/share_peer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transfer_checks_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transfer_run_test.cpp
)
dovel_test(transfer_hostile_peer_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/hostile_peer_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/share_peer.cpp
)
