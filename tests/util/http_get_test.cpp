#include "util/http_get.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/socket.h"
#include "support/scripted_peer.h"

namespace dovel::util {
namespace {

using test::AnsweringWebHost;

std::string response(int status, const std::string& body) {
  return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

TEST(HttpGet, RelativeUrlGoesToTheWebHostWithTheProgramsUserAgent) {
  const std::string body("binary\0body\xff", 12);
  std::string out = "kept:";
  {
    AnsweringWebHost server(response(200, body));
    ASSERT_TRUE(HttpGet(server.base(), 5000, "/client/banner.html?mode=exit", out));
    EXPECT_NE(server.request().find("GET /client/banner.html?mode=exit HTTP/1.1\r\n"), std::string::npos) << server.request();
    EXPECT_NE(server.request().find("User-Agent: Dovel Build 11672\r\n"), std::string::npos) << server.request();
    EXPECT_NE(server.request().find("Cache-Control: no-cache"), std::string::npos);
  }
  EXPECT_EQ(out, "kept:" + body) << "the body is appended byte for byte, NULs included";
}

TEST(HttpGet, AbsoluteUrlIsUsedAsItIs) {
  AnsweringWebHost server(response(200, "ok"));
  std::string out;
  ASSERT_TRUE(HttpGet("http://127.0.0.1:1", 5000, server.base() + "/page", out));
  EXPECT_EQ(out, "ok");
  EXPECT_EQ(ResolveWebUrl("http://web", "HTTP://other/x"), "HTTP://other/x");
  EXPECT_EQ(ResolveWebUrl("http://web", "/x"), "http://web/x");
}

TEST(HttpGet, ErrorStatusesFail) {
  for (int status : {400, 404, 500}) {
    AnsweringWebHost server(response(status, "no"));
    std::string out;
    EXPECT_FALSE(HttpGet(server.base(), 5000, "/x", out)) << status;
    EXPECT_EQ(out, "");
  }
}

TEST(HttpGet, BodiesAboveTheLimitFail) {
  AnsweringWebHost server(response(200, std::string(5000, 'x')));
  std::string out;
  EXPECT_FALSE(HttpGet(server.base(), 5000, "/x", out, 1000));
  EXPECT_EQ(out, "");
}

TEST(HttpGet, ASilentServerTimesOut) {
  AnsweringWebHost server("", AnsweringWebHost::Pace::Silent);
  std::string out;
  EXPECT_FALSE(HttpGet(server.base(), 300, "/x", out));
}

TEST(HttpGet, AWholeRequestLimitEndsATransferThatNeverStalls) {
  // Some byte arrives every 100 ms, so only a limit on the whole request ends it
  // before the ten seconds and more the answer takes.
  AnsweringWebHost server(response(200, std::string(100, 'x')), AnsweringWebHost::Pace::Trickling);
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
