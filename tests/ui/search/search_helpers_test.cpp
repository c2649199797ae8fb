#include <gtest/gtest.h>

#include <string>

#include "support/scripted_peer.h"
#include "ui/search/keyword_history.h"
#include "ui/search/recommend_page.h"

namespace dovel::ui {
namespace {

std::string http_answer(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

TEST(KeywordHistory, NewestFirstEachOnceAndBounded) {
  KeywordHistory history = KeywordHistory::from_stored("영화\n\n  music \n영화");
  EXPECT_EQ(history.entries(), (std::vector<std::string>{"영화", "music"}));

  history.remember(" music ");
  history.remember("");
  EXPECT_EQ(history.stored(), "music\n영화");

  for (int i = 0; i < 30; ++i) history.remember("word" + std::to_string(i));
  EXPECT_EQ(history.entries().size(), KeywordHistory::kMaxEntries);
  EXPECT_EQ(history.entries().front(), "word29");
  EXPECT_EQ(KeywordHistory::from_stored(history.stored()).entries(), history.entries());
}

TEST(RecommendationPage, TheKeywordTravelsUrlEncodedInItsCp949Form) {
  EXPECT_EQ(recommendation_page_path("abc 1"), "/app/recommend_dovel.html?q_keyword=abc+1");
  // 가 is B0 A1 in CP949.
  EXPECT_EQ(recommendation_page_path("가&"), "/app/recommend_dovel.html?q_keyword=%B0%A1%26");
}

TEST(RecommendationPage, PagesAreReadAsUtf8OrCp949) {
  EXPECT_EQ(page_text_utf8("<p>추천</p>"), "<p>추천</p>");
  EXPECT_EQ(page_text_utf8("<p>\xB0\xA1</p>"), "<p>가</p>");
  EXPECT_EQ(page_text_utf8("\xFF\xFF"), "");
}

TEST(RecommendationPage, TheFetchAsksForTheKeywordsPageAndReadsItAsCp949) {
  dovel::test::AnsweringWebHost host(http_answer("200 OK", "<body>\xB0\xA1</body>"));
  EXPECT_EQ(fetch_recommendation_page(host.base(), "영화"), "<body>가</body>");
  EXPECT_EQ(host.request().rfind("GET " + recommendation_page_path("영화") + " HTTP/1.1\r\n", 0), 0u) << host.request();
}

TEST(RecommendationPage, AFailedFetchGivesNoPage) {
  dovel::test::AnsweringWebHost missing(http_answer("404 Not Found", "<body>없음</body>"));
  EXPECT_EQ(fetch_recommendation_page(missing.base(), "영화"), "");
  dovel::test::AnsweringWebHost too_large(http_answer("200 OK", std::string(kRecommendationMaxBytes + 1, 'x')));
  EXPECT_EQ(fetch_recommendation_page(too_large.base(), "영화"), "");
}

}  // namespace
}  // namespace dovel::ui
