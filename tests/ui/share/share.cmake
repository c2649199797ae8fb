dovel_gui_test(ui_share_tests ${CMAKE_CURRENT_LIST_DIR}/hash_dialog_test.cpp)
