target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/browse_list_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/connect_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/intro_browser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/select_sub_folder_dialog.cpp
)
