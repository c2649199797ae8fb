#include "util/http_get.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/socket.h"

namespace dovel::util {
namespace {

// How the server answers: at once, never, or one byte at a time, 100 ms apart.
enum class Answering { AtOnce, Silent, Trickling };

// A one-request HTTP server on loopback that records the request and sends a canned answer.
class OneShotServer {
 public:
  explicit OneShotServer(std::string answer, Answering answering = Answering::AtOnce)
      : answer_(std::move(answer)), answering_(answering) {
    listener_ = platform::make_tcp_listener(*platform::parse_ipv4("127.0.0.1"), 0, 4);
    port_ = platform::local_port(listener_);
    thread_ = std::thread([this] { serve(); });
  }
  ~OneShotServer() {
    platform::shutdown_socket(listener_);
    platform::shutdown_socket(client_.load());
    thread_.join();
    ::close(listener_);
  }

  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::string request() const { return request_; }

 private:
  void serve() {
    int client = ::accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    client_ = client;
    char buffer[4096];
    while (request_.find("\r\n\r\n") == std::string::npos) {
      ssize_t got = platform::receive_some(client, buffer, sizeof buffer, 5000);
      if (got <= 0) break;
      request_.append(buffer, static_cast<size_t>(got));
    }
    if (answering_ == Answering::Silent) {
      platform::receive_some(client, buffer, sizeof buffer, 10000);
    } else if (answering_ == Answering::Trickling) {
      for (char byte : answer_) {
        if (platform::send_all(client, &byte, 1) != 1) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
    } else {
      platform::send_all(client, answer_.data(), answer_.size());
    }
    ::close(client);
  }

  std::string answer_;
  Answering answering_;
  int listener_ = -1;
  std::atomic<int> client_{-1};
  uint16_t port_ = 0;
  std::string request_;
  std::thread thread_;
};

std::string response(int status, const std::string& body) {
  return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

TEST(HttpGet, RelativeUrlGoesToTheWebHostWithTheProgramsUserAgent) {
  const std::string body("binary\0body\xff", 12);
  std::string out = "kept:";
  {
    OneShotServer server(response(200, body));
    ASSERT_TRUE(HttpGet(server.base(), 5000, "/client/banner.html?mode=exit", out));
    EXPECT_NE(server.request().find("GET /client/banner.html?mode=exit HTTP/1.1\r\n"), std::string::npos) << server.request();
    EXPECT_NE(server.request().find("User-Agent: Dovel Build 11672\r\n"), std::string::npos) << server.request();
    EXPECT_NE(server.request().find("Cache-Control: no-cache"), std::string::npos);
  }
  EXPECT_EQ(out, "kept:" + body) << "the body is appended byte for byte, NULs included";
}

TEST(HttpGet, AbsoluteUrlIsUsedAsItIs) {
  OneShotServer server(response(200, "ok"));
  std::string out;
  ASSERT_TRUE(HttpGet("http://127.0.0.1:1", 5000, server.base() + "/page", out));
  EXPECT_EQ(out, "ok");
  EXPECT_EQ(ResolveWebUrl("http://web", "HTTP://other/x"), "HTTP://other/x");
  EXPECT_EQ(ResolveWebUrl("http://web", "/x"), "http://web/x");
}

TEST(HttpGet, ErrorStatusesFail) {
  for (int status : {400, 404, 500}) {
    OneShotServer server(response(status, "no"));
    std::string out;
    EXPECT_FALSE(HttpGet(server.base(), 5000, "/x", out)) << status;
    EXPECT_EQ(out, "");
  }
}

TEST(HttpGet, BodiesAboveTheLimitFail) {
  OneShotServer server(response(200, std::string(5000, 'x')));
  std::string out;
  EXPECT_FALSE(HttpGet(server.base(), 5000, "/x", out, 1000));
  EXPECT_EQ(out, "");
}

TEST(HttpGet, ASilentServerTimesOut) {
  OneShotServer server("", Answering::Silent);
  std::string out;
  EXPECT_FALSE(HttpGet(server.base(), 300, "/x", out));
}

TEST(HttpGet, AWholeRequestLimitEndsATransferThatNeverStalls) {
  // Some byte arrives every 100 ms, so only a limit on the whole request ends it
  // before the ten seconds and more the answer takes.
  OneShotServer server(response(200, std::string(100, 'x')), Answering::Trickling);
  std::string out;
  EXPECT_FALSE(HttpGetWithin(server.base(), 1000, "/x", out));
  EXPECT_EQ(out, "");
}

TEST(HttpGet, NothingListeningFails) {
  int listener = platform::make_tcp_listener(*platform::parse_ipv4("127.0.0.1"), 0, 1);
  uint16_t port = platform::local_port(listener);
  ::close(listener);
  std::string out;
  EXPECT_FALSE(HttpGet("http://127.0.0.1:" + std::to_string(port), 2000, "/x", out));
}

}  // namespace
}  // namespace dovel::util
