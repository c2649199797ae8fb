dovel_gui_test(ui_mainframe_tests
  ${CMAKE_CURRENT_LIST_DIR}/main_frame_window_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_front_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/taskbar_notifier_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_placement_test.cpp
)
