dovel_test(browse_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/address_resolver_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/browse_texts_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hostile_server_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/listing_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/remote_browser_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_info_query_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/silent_service_test.cpp
  ${PROJECT_SOURCE_DIR}/tests/server/test_peer.cpp
)
target_include_directories(browse_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)

# Exploring by user ID against the stand-in service, in-process on loopback addresses of the test's own.
dovel_test(browse_lookup_tests e2e
  ${CMAKE_CURRENT_LIST_DIR}/explore_by_id_test.cpp
  ${PROJECT_SOURCE_DIR}/tests/server/test_peer.cpp
)
target_include_directories(browse_lookup_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(browse_lookup_tests PRIVATE dovel-central-core)
