target_sources(dovel-core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/charge_rule.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connect_worker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_move.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/large_file_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/peer_locator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/received_ranges.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_checkpoint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/run_signals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/source_lookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transfer_loop.cpp
)
