target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/desktop_browser_front.cpp
  ${CMAKE_CURRENT_LIST_DIR}/core_change_signals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/desktop_core.cpp
  ${CMAKE_CURRENT_LIST_DIR}/desktop_views.cpp
  ${CMAKE_CURRENT_LIST_DIR}/desktop_windows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_message_loop.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenshot_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/splash_screen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stop_signals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/stored_share_port.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unattended_message_sink.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_shots.cpp
)
