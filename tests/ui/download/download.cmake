dovel_gui_test(ui_download_tests
  ${CMAKE_CURRENT_LIST_DIR}/download_list_model_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/down_status_dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/total_status_dialog_test.cpp
)
