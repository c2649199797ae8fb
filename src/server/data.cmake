target_sources(dovel-core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/data_evaluation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_file_lookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/data_thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/upload_log.cpp
  ${CMAKE_CURRENT_LIST_DIR}/upload_stream.cpp
)
