// The status question of the server list's "서버정보": against the real share
// server, and against servers that answer wrongly, slowly or not at all.
#include "browse/server_info_query.h"
#include "browse/file_hash_query.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "browse/scripted_server.h"
#include "platform/cp949.h"
#include "server/server_fixture.h"
#include "share/file_hash.h"
#include "service/frame.h"
#include "support/loopback_address.h"
#include "util/little_endian.h"

namespace dovel::browse {
namespace {

using test_support::frame;
using test_support::length_word;
using test_support::ScriptedServer;

// Short enough that the silent cases end quickly, long enough for a loaded machine to connect.
constexpr int kShortTimeoutMs = 1500;

std::string with_zero(std::string text) {
  text += '\0';
  return text;
}

class ServerInfoFromShareServerTest : public server::ShareServerFixture {
 protected:
  void SetUp() override {
    ShareServerFixture::SetUp();
    context.bind_address = test::unique_loopback_address();
    start_server();
  }
};

TEST_F(ServerInfoFromShareServerTest, OwnerLimitRunningUploadsAndSpeed) {
  meter.running_uploads = 2;
  meter.upload_speed = 5120 + 512;
  const std::optional<ServerInfo> info = query_server_info(context.bind_address, server->port());
  ASSERT_TRUE(info);
  EXPECT_EQ(*info, (ServerInfo{"owner", static_cast<int64_t>(settings.values().max_upload), 2, "5.50"}));
}

TEST_F(ServerInfoFromShareServerTest, RunningUploadsNeverAboveTheLimit) {
  meter.running_uploads = 1000;
  const std::optional<ServerInfo> info = query_server_info(context.bind_address, server->port());
  ASSERT_TRUE(info);
  EXPECT_EQ(info->current_uploads, info->max_uploads);
}

class FileHashFromShareServerTest : public server::ShareServerFixture {
 protected:
  void SetUp() override {
    ShareServerFixture::SetUp();
    context.bind_address = test::unique_loopback_address();
    set_shares({{"Public", settings::SHARE_READ}});
    temp.write("shares/Public/sub/노래.mp3", "la la la");
    start_server();
  }
};

TEST_F(FileHashFromShareServerTest, AFileListedWithoutItsHashIsToldItsHash) {
  const std::string expected = *share::sampled_md5_of_file(share_folder("Public") / "sub/노래.mp3");
  EXPECT_EQ(query_file_hash(context.bind_address, server->port(), {"sub", "노래.mp3", 8, 0}), expected);
  EXPECT_FALSE(query_file_hash(context.bind_address, server->port(), {"sub", "노래.mp3", 9, 0}, kShortTimeoutMs))
      << "a size the file does not have gets no answer";
  EXPECT_FALSE(query_file_hash(context.bind_address, server->port(), {"sub", "a|b.mp3", 8, 0})) << "a name that would split the request";
}

TEST_F(ServerInfoFromShareServerTest, NoServerNoAnswer) {
  const uint16_t port = server->port();
  server.reset();
  EXPECT_FALSE(query_server_info(context.bind_address, port, kShortTimeoutMs));
}

TEST(ServerInfoQueryTest, AnswersThatAreNotAStatus) {
  const std::string keep_alive = length_word(0);
  const std::string valid = with_zero("Ipeer\a5\a1\a2.25");
  std::string many_keep_alives;
  for (int i = 0; i < 40; ++i) many_keep_alives += keep_alive;
  struct Case {
    const char* why;
    std::vector<std::string> script;
    bool answered;
  } cases[] = {
      {"a plain answer", {"OKKK", frame(valid)}, true},
      {"without its terminating zero", {"OKKK", frame("Ipeer\a5\a1\a2.25")}, true},
      {"keep-alives before the answer are skipped", {"OKKK", keep_alive, keep_alive, frame(valid)}, true},
      {"a busy server", {"OVER"}, false},
      {"no status word", {}, false},
      {"five fields", {"OKKK", frame(with_zero("Ipeer\a5\a1\a2.25\aextra"))}, false},
      {"three fields", {"OKKK", frame(with_zero("Ipeer\a5\a1"))}, false},
      {"another letter", {"OKKK", frame(with_zero("Hpeer\a5\a1\a2.25"))}, false},
      {"a count that is no number", {"OKKK", frame(with_zero("Ipeer\afive\a1\a2.25"))}, false},
      {"a negative count", {"OKKK", frame(with_zero("Ipeer\a5\a-1\a2.25"))}, false},
      {"a speed that is no number", {"OKKK", frame(with_zero("Ipeer\a5\a1\a2.2.5"))}, false},
      {"an ID that is not CP949", {"OKKK", frame(with_zero("I\xff\xff\a5\a1\a2.25"))}, false},
      {"an ID longer than any ID", {"OKKK", frame(with_zero("Iabcdefghijklmnop\a5\a1\a2.25"))}, false},
      {"a length beyond any status", {"OKKK", length_word(10 * 1024 * 1024), "I"}, false},
      {"a frame cut short", {"OKKK", length_word(40), "Ipeer"}, false},
      {"keep-alives without end", {"OKKK", many_keep_alives}, false},
      {"silence after the status word", {"OKKK"}, false},
  };
  for (const Case& c : cases) {
    ScriptedServer server(c.script);
    const std::optional<ServerInfo> info = query_server_info(server.address(), server.port(), kShortTimeoutMs);
    EXPECT_EQ(info.has_value(), c.answered) << c.why;
    if (info) {
      EXPECT_EQ(*info, (ServerInfo{"peer", 5, 1, "2.25"})) << c.why;
      EXPECT_EQ(server.kind(), '&') << "the side channel's kind byte";
    }
  }
}

TEST(ServerInfoQueryTest, HangulIdComesBackAsUtf8) {
  const std::string answer = "I" + *platform::utf8_to_cp949("주인장") + "\a3\a0\a0.00";
  ScriptedServer server({"OKKK", frame(with_zero(answer))});
  const std::optional<ServerInfo> info = query_server_info(server.address(), server.port(), kShortTimeoutMs);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->user_id, "주인장");
}

TEST(ServerInfoQueryTest, NothingAskedOfNoAddress) {
  EXPECT_FALSE(query_server_info(0, 9910));
  EXPECT_FALSE(query_server_info(test::unique_loopback_address(), 0));
}

}  // namespace
}  // namespace dovel::browse
