dovel_gui_test(ui_browse_tests
  ${CMAKE_CURRENT_LIST_DIR}/browse_list_model_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connect_dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/intro_browser_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/select_sub_folder_dialog_test.cpp
)
