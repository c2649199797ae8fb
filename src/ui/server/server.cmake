target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/server_status_dialog.cpp
)
