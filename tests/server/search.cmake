dovel_test(search_responder_tests unit
  ${CMAKE_CURRENT_LIST_DIR}/search_limits_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_name_index_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_responder_test.cpp
)
target_include_directories(search_responder_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_LIST_DIR})
