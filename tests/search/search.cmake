add_library(dovel-search-test-support STATIC ${CMAKE_CURRENT_LIST_DIR}/fake_service_server.cpp)
target_link_libraries(dovel-search-test-support PUBLIC dovel-core dovel-test-support GTest::gtest)

dovel_test(search_client_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/result_download_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/result_table_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_client_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_input_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/service_links_test.cpp
)
target_link_libraries(search_client_tests PRIVATE dovel-search-test-support)

# Searches between in-process copies of the program and the stand-in service.
dovel_test(search_network_tests e2e
  ${CMAKE_CURRENT_LIST_DIR}/search_network_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sharing_client.cpp
)
target_link_libraries(search_network_tests PRIVATE dovel-search-test-support dovel-central-core)
