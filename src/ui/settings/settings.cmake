target_sources(dovel-ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/autostart_entry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prop_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prop_general.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prop_other.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prop_server_port.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_subject_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_page.h
  ${CMAKE_CURRENT_LIST_DIR}/settings_sheet.cpp
  ${CMAKE_CURRENT_LIST_DIR}/share_folder_dialog.cpp
)
