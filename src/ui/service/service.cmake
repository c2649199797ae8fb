target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/login_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sign_in_relay.cpp
)
