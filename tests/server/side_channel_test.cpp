#include <gtest/gtest.h>

#include "db/database_lock.h"
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
    auto peer = test::TestPeer::connect(server->port(), wire::kSideChannelKind);
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

TEST_F(SideChannelTest, FriendOnlyAndSecretSharesKeepTheirHashes) {
  set_shares({{"Public", settings::SHARE_READ}, {"Friends", settings::SHARE_READ | settings::SHARE_FRIEND},
              {"Secret", settings::SHARE_READ | settings::SHARE_SECRET}, {"Adult", settings::SHARE_READ | settings::SHARE_ADULT}});
  for (const char* share : {"Friends", "Secret", "Adult"}) temp.write(std::string("shares/") + share + "/a.bin", "abcdef");
  EXPECT_FALSE(request("H|a.bin|6|1")) << "friend-only: the side channel names nobody";
  EXPECT_FALSE(request("H|a.bin|6|2")) << "secret: no password comes with it";
  EXPECT_FALSE(request("H|a.bin|6|-1")) << "no share named";
  const std::string adult = *share::sampled_md5_of_file(share_folder("Adult") / "a.bin");
  EXPECT_EQ(request("H|a.bin|6|3"), "H" + adult + std::string(1, '\0')) << "a hash is told as a search tells a name";
  // Once hashed, the friend-only copy's hash is still not told by name and size.
  EXPECT_FALSE(request("H|a.bin|6|1"));
}

TEST_F(SideChannelTest, AHashNeedsTheFilesOwnSize) {
  const std::string name = *platform::utf8_to_cp949("노래.mp3");
  for (const char* wrong : {"0", "7", "9", "-8"}) EXPECT_FALSE(request("Hsub|" + name + "|" + wrong + "|0")) << wrong;
  EXPECT_TRUE(request("Hsub|" + name + "|8|0")) << "the right size is answered";
}

TEST_F(SideChannelTest, PartialDownloadsAndLinksGetNoHash) {
  settings.update([this](settings::StoredSettings& values) { values.down_path = (share_folder("Public") / "Download").string(); });
  temp.write("shares/Public/Download/_DTEMP_/[DOVEL]movie.avi", "part");
  temp.write("shares/Public/Download/Album/[DOVEL]track.mp3", "part");
  std::filesystem::create_directory_symlink(share_folder("Public") / "sub", share_folder("Public") / "linked");
  const std::string name = *platform::utf8_to_cp949("노래.mp3");
  EXPECT_FALSE(request("HDownload\\_DTEMP_|[DOVEL]movie.avi|4|0"));
  EXPECT_FALSE(request("HDownload\\Album|[DOVEL]track.mp3|4|0"));
  EXPECT_FALSE(request("Hlinked|" + name + "|8|0"));
  std::lock_guard guard(db::database_lock());
  EXPECT_EQ(databases.data.Query("Select count(*) From shared_files").Int(0), 0) << "nothing was recorded as shared";
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

// The server's threads read the context, so it changes only while no server runs.
TEST_F(SideChannelTest, NothingWhileHashing) {
  test::FirstFileGate gate;
  share::HashRunner busy({&hash_settings, temp / "DovelData.dat", &platform::system_clock(), nullptr, &hash_done, gate.callback()});
  server.reset();
  context.hashing = &busy;
  start_server();
  busy.start_hash_run(0);
  gate.wait_until_entered();
  EXPECT_FALSE(request("I"));
  server.reset();
  context.hashing = &hashing;
  gate.release();
}

}  // namespace
}  // namespace dovel::server
