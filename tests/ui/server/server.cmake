dovel_gui_test(ui_server_tests ${CMAKE_CURRENT_LIST_DIR}/server_status_dialog_test.cpp)
