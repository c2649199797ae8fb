#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/socket.h"
#include "support/loopback_address.h"

#include "ui/search/keyword_history.h"
#include "ui/search/recommend_page.h"

namespace dovel::ui {
namespace {

// A web host on its own loopback address that answers one request with `answer`.
class OneAnswerHost {
 public:
  explicit OneAnswerHost(std::string answer) : answer_(std::move(answer)) {
    const platform::Ipv4 address = test::unique_loopback_address();
    listener_ = platform::make_tcp_listener(address, 0, 4);
    base_ = "http://" + platform::format_ipv4(address) + ":" + std::to_string(platform::local_port(listener_));
    thread_ = std::thread([this] { serve(); });
  }
  ~OneAnswerHost() {
    platform::shutdown_socket(listener_);
    thread_.join();
    ::close(listener_);
  }
  const std::string& base() const { return base_; }
  // Read after the fetch has returned (the host answers only after reading it).
  const std::string& request() const { return request_; }

 private:
  void serve() {
    const int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    char buffer[4096];
    while (request_.find("\r\n\r\n") == std::string::npos) {
      const ssize_t got = platform::receive_some(client, buffer, sizeof buffer, 5000);
      if (got <= 0) break;
      request_.append(buffer, static_cast<size_t>(got));
    }
    platform::send_all(client, answer_.data(), answer_.size());
    ::close(client);
  }

  std::string answer_;
  int listener_ = -1;
  std::string base_;
  std::string request_;
  std::thread thread_;
};

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
  OneAnswerHost host(http_answer("200 OK", "<body>\xB0\xA1</body>"));
  EXPECT_EQ(fetch_recommendation_page(host.base(), "영화"), "<body>가</body>");
  EXPECT_EQ(host.request().rfind("GET " + recommendation_page_path("영화") + " HTTP/1.1\r\n", 0), 0u) << host.request();
}

TEST(RecommendationPage, AFailedFetchGivesNoPage) {
  OneAnswerHost missing(http_answer("404 Not Found", "<body>없음</body>"));
  EXPECT_EQ(fetch_recommendation_page(missing.base(), "영화"), "");
  OneAnswerHost too_large(http_answer("200 OK", std::string(kRecommendationMaxBytes + 1, 'x')));
  EXPECT_EQ(fetch_recommendation_page(too_large.base(), "영화"), "");
}

}  // namespace
}  // namespace dovel::ui
