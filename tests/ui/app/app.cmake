dovel_gui_test(ui_app_tests
  ${CMAKE_CURRENT_LIST_DIR}/desktop_browser_front_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/desktop_windows_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_message_loop_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenshot_run_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/splash_screen_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stored_share_port_test.cpp
)
