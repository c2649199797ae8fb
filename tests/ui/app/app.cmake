dovel_gui_test(ui_app_tests ${CMAKE_CURRENT_LIST_DIR}/qt_message_loop_test.cpp)
