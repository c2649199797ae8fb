target_sources(dovel-core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/init_thread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/port_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/startup_port_check.cpp
)
