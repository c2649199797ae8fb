dovel_gui_test(ui_service_tests
  ${CMAKE_CURRENT_LIST_DIR}/sign_in_relay_test.cpp
)

# The login window against the stand-in service, in-process on a loopback address of each test's own.
dovel_gui_test(ui_login_tests ${CMAKE_CURRENT_LIST_DIR}/login_dialog_test.cpp ${CMAKE_CURRENT_LIST_DIR}/service_login_connector.cpp)
target_link_libraries(ui_login_tests PRIVATE dovel-central-core)
