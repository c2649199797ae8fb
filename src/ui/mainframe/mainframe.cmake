target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/app_icon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_frame_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_menu_bar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_views.cpp
  ${CMAKE_CURRENT_LIST_DIR}/point_charge_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_front.cpp
  ${CMAKE_CURRENT_LIST_DIR}/status_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_tray.cpp
  ${CMAKE_CURRENT_LIST_DIR}/taskbar_notifier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_placement.cpp
)
