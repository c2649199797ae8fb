target_sources(dovel-core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/listed_file_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/service_status.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_check.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_step.cpp
  ${CMAKE_CURRENT_LIST_DIR}/updater.cpp
  ${CMAKE_CURRENT_LIST_DIR}/version_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_document.cpp
)
