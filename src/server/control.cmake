target_sources(dovel-core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/control_handler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/control_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_download_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hash_worker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_status.cpp
  ${CMAKE_CURRENT_LIST_DIR}/share_place.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shared_file_lookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/side_channel.cpp
)
