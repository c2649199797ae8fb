target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/clipboard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_folder_picker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_sink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/notice_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_browser.cpp
)
