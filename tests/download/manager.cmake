dovel_test(download_manager_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/download_manager_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_paths_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_records_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_texts_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_columns_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/queue_restore_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scheduling_test.cpp
)
