target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/down_status_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/download_list_model.cpp
  ${CMAKE_CURRENT_LIST_DIR}/log_folders.cpp
  ${CMAKE_CURRENT_LIST_DIR}/percent_bar_delegate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/total_status_dialog.cpp
)
