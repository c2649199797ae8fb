dovel_gui_test(ui_serverlist_tests
  ${CMAKE_CURRENT_LIST_DIR}/server_list_model_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_list_dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_list_search_dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_info_dialog_test.cpp
)
