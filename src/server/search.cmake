target_sources(dovel-core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/search_addresses.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_answer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_notice_limit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_query.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_rate_limit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_reply_budget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_responder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_terms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/search_token_bucket.cpp
)
