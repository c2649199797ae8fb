target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/background_worker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dummy_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/keyword_history.cpp
  ${CMAKE_CURRENT_LIST_DIR}/recommend_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_refine.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_list_ctrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_result_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/total_search_dialog.cpp
)
