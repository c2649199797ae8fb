#include <gtest/gtest.h>

#include "platform/cp949.h"
#include "server/server_fixture.h"
#include "share/file_hash.h"
#include "support/first_file_gate.h"

namespace dovel::server {
namespace {

class SideChannelTest : public ShareServerFixture {
 protected:
  void SetUp() override {
    ShareServerFixture::SetUp();
    set_shares({{"Public", settings::SHARE_READ}, {"Other", settings::SHARE_READ}});
    temp.write("shares/Public/sub/노래.mp3", "la la la");
    temp.write("outside/passwd", "root:x");
    start_server();
  }

  // One request on its own side-channel connection; the answer, or nullopt when none came.
  std::optional<std::string> request(const std::string& text) {
    auto peer = test::TestPeer::connect(server->port(), kSideChannelKind);
    EXPECT_TRUE(peer);
    EXPECT_EQ(peer->read_raw(4), "OKKK");
    peer->send_frame(text);
    std::optional<std::string> answer = peer->read_frame();
    EXPECT_TRUE(peer->closed_within()) << "one request, one answer, then the server closes";
    return answer;
  }
};

TEST_F(SideChannelTest, HashOfAFileByPathNameSizeAndShare) {
  const std::string expected = *share::sampled_md5_of_file(share_folder("Public") / "sub/노래.mp3");
  const std::string name = *platform::utf8_to_cp949("노래.mp3");
  EXPECT_EQ(request("Hsub|" + name + "|8|0"), "H" + expected + std::string(1, '\0'));
  EXPECT_EQ(request("R\\sub\\|" + name + "|8|1"), "R" + expected + std::string(1, '\0')) << "found in another share by the same path";
}

TEST_F(SideChannelTest, IdentityAndLoad) {
  meter.running_uploads = 2;
  meter.upload_speed = 5120;
  EXPECT_EQ(request("I"), std::string("Iowner\a10\a2\a5.00") + '\0');
}

TEST_F(SideChannelTest, NothingForOtherRequestsOrEscapes) {
  const char* silent[] = {"P", "X", "Hsub|a|1", "Hsub|a|1|0|extra", "H..\\..\\outside|passwd|6|0", "H|../../outside/passwd|6|0",
                          "Hsub|missing.mp3|8|0", "Hsub|x|notanumber|0"};
  for (const char* text : silent) EXPECT_FALSE(request(text)) << text;
}

TEST_F(SideChannelTest, NothingWhileHashing) {
  test::FirstFileGate gate;
  share::HashRunner busy({&hash_settings, temp / "DovelData.dat", &platform::system_clock(), nullptr, &hash_done, gate.callback()});
  context.hashing = &busy;
  busy.start_hash_run(0);
  gate.wait_until_entered();
  EXPECT_FALSE(request("I"));
  gate.release();
  context.hashing = &hashing;
}

}  // namespace
}  // namespace dovel::server
