target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/hash_dialog.cpp
)
