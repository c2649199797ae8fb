target_sources(dovel-core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/peer_lists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/relay_link.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_download.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_filter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_queue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_sort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_table.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_tabs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_input.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/service_link.cpp
)
