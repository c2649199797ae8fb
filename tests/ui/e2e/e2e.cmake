# The desktop client end to end: the stand-in service and a headless sharer as
# programs, the desktop client's application and windows in the test.
dovel_gui_test(ui_e2e_tests ${CMAKE_CURRENT_LIST_DIR}/desktop_download_test.cpp)
target_include_directories(ui_e2e_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(ui_e2e_tests PRIVATE DOVEL_TOOL_PATH="$<TARGET_FILE:dovel-tool>" DOVELD_PATH="$<TARGET_FILE:doveld>"
                                                DOVEL_CENTRAL_PATH="$<TARGET_FILE:dovel-central>")
add_dependencies(ui_e2e_tests dovel-tool doveld dovel-central)
