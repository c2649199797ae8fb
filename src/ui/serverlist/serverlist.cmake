target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/server_info_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_list_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_list_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_list_search_dialog.cpp
)
