target_sources(dovel-core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/add_request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_manager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_speed_limit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_records.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/item_snapshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leftover_question.cpp
  ${CMAKE_CURRENT_LIST_DIR}/openable_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/paid_columns.cpp
  ${CMAKE_CURRENT_LIST_DIR}/queue_restore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scheduling.cpp
  ${CMAKE_CURRENT_LIST_DIR}/source_list.cpp
)
