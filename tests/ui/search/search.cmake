dovel_gui_test(ui_search_tests
  ${CMAKE_CURRENT_LIST_DIR}/search_result_model_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_list_ctrl_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/total_search_dialog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_helpers_test.cpp
)
