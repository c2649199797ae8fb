dovel_test(startup_check_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/service_status_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/update_check_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/updater_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/version_text_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xml_document_test.cpp
)
# Both checks against the stand-in's web host, in-process.
dovel_test(startup_check_central_tests unit ${CMAKE_CURRENT_LIST_DIR}/startup_checks_central_test.cpp)
target_link_libraries(startup_check_central_tests PRIVATE dovel-central-core)
