dovel_gui_test(ui_controls_tests
  ${CMAKE_CURRENT_LIST_DIR}/clipboard_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_folder_picker_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_sink_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/notice_dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/open_browser_test.cpp
)
