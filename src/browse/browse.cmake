target_sources(dovel-core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/address_history.cpp
  ${CMAKE_CURRENT_LIST_DIR}/address_resolver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/browse_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/client_control_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/leading_fields.cpp
  ${CMAKE_CURRENT_LIST_DIR}/listing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/listing_row.cpp
  ${CMAKE_CURRENT_LIST_DIR}/peer_pages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pending_requests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/remote_browser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/row_sorting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_info_query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session_replies.cpp
  ${CMAKE_CURRENT_LIST_DIR}/side_channel_request.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_hash_query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sub_folder_name.cpp
)
