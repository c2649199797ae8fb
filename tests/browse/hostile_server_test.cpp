// A share server that lies: the browse session must end or refuse, never
// crash, hang or hand on a name that is not one plain file name.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <atomic>
#include <thread>

#include "base/string_printf.h"
#include "browse/browse_fixture.h"
#include "browse/scripted_server.h"
#include "platform/cp949.h"
#include "service/frame.h"
#include "support/cp949_text.h"
#include "support/loopback_address.h"
#include "support/recording_target.h"
#include "util/little_endian.h"

namespace dovel::browse {
namespace {

using namespace test_support;

using dovel::test::cp949;

const std::string kAccepted = std::string("OKKK") + '\x0b';
const std::string kHash = "0123456789abcdef0123456789abcdef";

template <typename Server>
SessionRequest target(const Server& server) {
  SessionRequest request;
  request.address = server.address();
  request.port = server.port();
  return request;
}

class HostileServerTest : public ::testing::Test {
 protected:
  BrowseContext browse_context() {
    BrowseContext made;
    made.downloads = &adder;
    made.endpoints.bind_address = test::unique_loopback_address();
    return made;
  }
  RecordingAdder adder;
};

TEST_F(HostileServerTest, SessionsThatEndAtOnce) {
  struct Case {
    std::string why;
    std::vector<std::string> script;
    std::string message;
    bool close_after = false;
  } cases[] = {
      {"too many users", {"OVER"}, "접속자가 많습니다. 잠시후 이용하시기 바랍니다."},
      {"no version byte", {"OKKK"}, "", true},
      {"a length of 10 MiB", {kAccepted, length_word(0xA00000), std::string(64, 'L')}, ""},
      {"a negative length", {kAccepted, length_word(0xFFFFFFF0)}, ""},
      {"a status with two fields", {kAccepted, frame("23\a1")}, ""},
      {"a blocked user", {kAccepted, frame("3")}, "접속실패 - 서버주인에 의해 차단된 사용자입니다."},
      {"a friend-only folder", {kAccepted, frame("4")}, "접속실패 - 친구전용폴더입니다."},
      {"the letter C", {kAccepted, frame("C")}, ""},
      {"an unknown letter", {kAccepted, frame("Q")}, ""},
      {"a file answer with two fields", {kAccepted, frame("H" + kHash + "|a.txt")}, ""},
      {"a file answer that is no hash", {kAccepted, frame("Hnot-a-hash|a.txt|3")}, ""},
      {"a file answer naming a path", {kAccepted, frame("H" + kHash + "|../../.bashrc|3")}, ""},
      {"a file answer naming a folder path", {kAccepted, frame("H" + kHash + "|sub/evil.txt|3")}, ""},
      {"a file answer with a control byte", {kAccepted, frame("H" + kHash + "|a\x01" "b.txt|3")}, ""},
      {"a file answer named ..", {kAccepted, frame("H" + kHash + "|..|3")}, ""},
      {"a file-information answer with one field", {kAccepted, frame("R" + kHash)}, ""},
  };
  for (const Case& c : cases) {
    ScriptedServer server(c.script, c.close_after);
    RemoteBrowser browser(browse_context());
    EXPECT_EQ(answer_of(browser, [&] { browser.start_session(target(server)); }), ListingWait::Ended) << c.why;
    EXPECT_EQ(server.kind(), '"') << c.why;
    if (!c.message.empty()) {
      EXPECT_TRUE(has_message(browser.snapshot(), c.message)) << c.why;
    }
  }
  EXPECT_TRUE(adder.requests().empty()) << "no bad answer reached the queue";
}

TEST_F(HostileServerTest, AFrameCutShortEndsTheSession) {
  ScriptedServer server({kAccepted, length_word(5 * 1024 * 1024), std::string(10, 'L')}, true);
  RemoteBrowser browser(browse_context());
  EXPECT_EQ(answer_of(browser, [&] { browser.start_session(target(server)); }), ListingWait::Ended);
}

TEST_F(HostileServerTest, KeepAlivesAndOddRepliesAreSkipped) {
  const std::string listing = cp949(
      "Lroot\\Share*D|..|0|0|1|*F|../../etc/passwd|5|0|1|*F|a/b|5|0|1|*F|bell\x07.txt|5|0|1|*F|ok.txt|5|0|1|*"
      "F|short|5*D|sub|0|0|1|*");
  ScriptedServer server({kAccepted, length_word(0), frame("Dx"), frame("I"), frame("2\xff\a\xff\a\xff"), length_word(0), frame("5"),
                         frame(listing)});
  RemoteBrowser browser(browse_context());
  ASSERT_EQ(answer_of(browser, [&] { browser.start_session(target(server)); }), ListingWait::Listing);
  const BrowserSnapshot snapshot = browser.snapshot();
  EXPECT_TRUE(snapshot.session_running);
  EXPECT_EQ(snapshot.current_path, "\\Share");
  EXPECT_EQ(names_of(snapshot), (std::vector<std::string>{"..", "sub", "ok.txt"})) << "rows that name more than one entry are refused";
  EXPECT_EQ(snapshot.peer_id, "") << "an identity with too few fields is ignored";
}

TEST_F(HostileServerTest, AGoodFileAnswerIsQueuedAfterAllThat) {
  const std::string name = cp949("정상.txt");
  AnsweringServer server({kAccepted, frame("Lroot\\Share*F|" + name + "|3|0|1|*")}, [&](std::string_view request) {
    return request == "H" + name + "|3" ? std::vector<std::string>{frame("H" + kHash + "|" + name + "|3")} : std::vector<std::string>{};
  });
  RemoteBrowser browser(browse_context());
  ASSERT_EQ(answer_of(browser, [&] { browser.start_session(target(server)); }), ListingWait::Listing);
  ASSERT_EQ(browser.request_downloads({"정상.txt"}), 1u);
  ASSERT_TRUE(adder.wait_for(1));
  EXPECT_EQ(adder.requests()[0].file_name, "정상.txt");
  EXPECT_EQ(adder.requests()[0].hash, kHash);
  EXPECT_EQ(adder.requests()[0].listing_attributes, 1u);
}

TEST_F(HostileServerTest, AnswersNobodyAskedForAreDropped) {
  // A server streams hash, information and link answers of its own choosing,
  // and answers the one request with a name and size it was not asked for.
  const std::string listing = frame("Lroot\\Share*F|a.txt|3|0|1|*");
  std::vector<std::string> flood{kAccepted, listing};
  for (int i = 0; i < 50; ++i) {
    const std::string hash = base::string_printf("%032x", i);
    flood.push_back(frame("H" + hash + "|f" + std::to_string(i) + ".txt|" + std::to_string(i + 1)));
    flood.push_back(frame("R" + hash + "|f" + std::to_string(i) + ".txt|" + std::to_string(i + 1)));
    flood.push_back(frame("K" + hash + "|f" + std::to_string(i) + ".txt|" + std::to_string(i + 1) + "|id"));
  }
  AnsweringServer server(flood, [&](std::string_view request) {
    if (request.starts_with("H")) return std::vector<std::string>{frame("H" + kHash + "|a.txt|4"), frame("H" + kHash + "|b.txt|3")};
    if (request.starts_with("C\\Share")) return std::vector<std::string>{listing};
    return std::vector<std::string>{};
  });
  test::RecordingTarget hub;
  BrowseContext context = browse_context();
  context.hub = &hub;
  RemoteBrowser browser(context);
  ASSERT_EQ(answer_of(browser, [&] { browser.start_session(target(server)); }), ListingWait::Listing);
  ASSERT_EQ(browser.request_downloads({"a.txt"}), 1u);
  ASSERT_EQ(answer_of(browser, [&] { EXPECT_TRUE(browser.change_folder("\\Share")); }), ListingWait::Listing)
      << "the session goes on past what it drops";
  EXPECT_TRUE(adder.requests().empty()) << "no answer reached the queue";
  EXPECT_TRUE(hub.seen().empty()) << "no answer opened a window";
}

TEST_F(HostileServerTest, AServerThatSaysNothingIsStoppedAtOnce) {
  ScriptedServer server({});
  RemoteBrowser browser(browse_context());
  const ListingMark mark = browser.mark();
  browser.start_session(target(server));
  browser.stop_session();
  EXPECT_FALSE(browser.snapshot().session_running);
  EXPECT_EQ(browser.wait_for_listing(mark, std::chrono::milliseconds(0)), ListingWait::Ended);
}

}  // namespace
}  // namespace dovel::browse
