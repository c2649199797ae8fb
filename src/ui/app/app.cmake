target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/qt_message_loop.cpp
)
