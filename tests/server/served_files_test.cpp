// What the share server offers of the disk, by every way a peer reaches files:
// listings, folder lists, hash requests and downloads alike. Partial downloads
// and links below a share are never offered; of shared-folder lists stored
// before nesting was refused (one share's folder inside another's), what the
// inner folder holds is offered only through the stricter of the two.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/string_printf.h"
#include "db/database_lock.h"
#include "server/data_thread.h"
#include "server/server_fixture.h"
#include "share/file_hash.h"
#include "support/cp949_text.h"
#include "support/eventually.h"
#include "support/nested_share_cases.h"
#include "wire/info_block.h"

namespace dovel::server {
namespace {

using dovel::test::cp949;

using test::kPublicShare;
using test::kSecretShare;
constexpr const char* kPassword = "열쇠";

// A visitor whom every share's own rule lets in: adult, a friend, with the
// password. Whatever is refused to them is refused by what the tree offers.
class ServedFilesTest : public ShareServerFixture {
 protected:
  void SetUp() override {
    ShareServerFixture::SetUp();
    settings.update([](settings::StoredSettings& values) { values.folder_pass = kPassword; });
    friends.set_entries({{"PAL", "친구"}});
    start_server([](ShareServerContext& serving, DataConnectionList& list, std::shared_ptr<DataConnection> connection) {
      serve_data_connection(serving, list, std::move(connection));
    });
  }

  // Share 0 at "outer", share 1 at "outer/inner".
  void nest(uint32_t outer, uint32_t inner) {
    std::filesystem::create_directories(share_folder("outer") / "inner");
    ASSERT_TRUE(settings.set_shared_folders({{"Outer", share_folder("outer").string(), outer},
                                             {"Inner", (share_folder("outer") / "inner").string(), inner}}));
  }

  // The status of a download of the whole file, by path.
  int download_status(settings::ShareIndex index, const std::string& folder, const std::string& name, size_t size) {
    auto peer = test::TestPeer::connect(server->port(), wire::kDataKind);
    EXPECT_TRUE(peer);
    if (!peer) return -1;
    EXPECT_EQ(peer->read_raw(2), std::string("\x01\x00", 2));
    const std::string request = base::string_printf("1|%d|%s|pal|3||%zu|0|%zu|1|127.0.0.9|9910|%s|%s|0|nick|dovel|0", index, folder.c_str(),
                                                    size, size, kPassword, name.c_str());
    peer->send_frame(cp949(request));
    const std::string answer = peer->read_raw(5);
    if (answer.size() == 5 && answer[0] == 1) {
      EXPECT_EQ(peer->read_raw(wire::kInfoBlockSize + size).size(), wire::kInfoBlockSize + size);
    }
    EXPECT_TRUE(peer->closed_within());
    // The next download of the same user waits for this one to be over.
    EXPECT_TRUE(test::eventually([&] { return server->data_count() == 0; }));
    return answer.empty() ? -1 : static_cast<uint8_t>(answer[0]);
  }

  // A control session of the visitor, in the folder `path`; its listing.
  std::string enter(test::TestPeer& peer, const std::string& path) {
    peer.send_frame("A1");
    peer.send_frame(std::string("Dpal|3|nick") + '\0');
    return *platform::cp949_to_utf8(ask(peer, cp949("C" + path + "|" + kPassword)));
  }
};

TEST_F(ServedFilesTest, WhatTheInnerShareHoldsIsReachedOnlyThroughTheStricterShare) {
  int number = 0;
  for (const test::NestedShareCase& c : test::kNestedShareCases) {
    SCOPED_TRACE(c.what);
    nest(c.outer, c.inner);
    // A file of its own for each case, so that no hash stored by an earlier one answers.
    const std::string name = "f" + std::to_string(++number) + ".bin";
    const std::string content(1000 + static_cast<size_t>(number), 'n');
    const auto file = temp.write("shares/outer/inner/" + name, content);
    const std::string hash = *share::sampled_md5_of_file(file);
    const std::string size = std::to_string(content.size());

    EXPECT_EQ(download_status(0, "inner", name, content.size()), c.through_outer ? 1 : 5) << "download through the outer share";
    EXPECT_EQ(download_status(1, "", name, content.size()), c.through_inner ? 1 : 5) << "download through the inner share";

    auto outer = browse();
    const std::string top = enter(outer, "\\Outer");
    EXPECT_EQ(top.find("D|inner|") != std::string::npos, c.through_outer) << top;
    const std::string below = enter(outer, "\\Outer\\inner");
    EXPECT_EQ(below.find("F|" + name + "|") != std::string::npos, c.through_outer) << below;
    EXPECT_EQ(ask(outer, "H" + name + "|" + size), c.through_outer ? "H" + hash + "|" + name + "|" + size : "1");

    auto inner = browse();
    const std::string listing = enter(inner, "\\Inner");
    EXPECT_EQ(listing.find("F|" + name + "|") != std::string::npos, c.through_inner) << listing;
    EXPECT_EQ(ask(inner, "H" + name + "|" + size), c.through_inner ? "H" + hash + "|" + name + "|" + size : "1");
  }
}

TEST_F(ServedFilesTest, AFolderDownloadListLeavesTheStricterShareOut) {
  std::filesystem::create_directories(share_folder("outer") / "album" / "inner");
  ASSERT_TRUE(settings.set_shared_folders({{"Outer", share_folder("outer").string(), kPublicShare},
                                           {"Inner", (share_folder("outer") / "album" / "inner").string(), kSecretShare}}));
  temp.write("shares/outer/album/a.mp3", "a");
  temp.write("shares/outer/album/inner/secret.txt", "s");
  auto peer = browse();
  enter(peer, "\\Outer");
  const std::string list = ask(peer, "Zalbum");
  ASSERT_EQ(list.substr(0, 7), "Zalbum\x01");
  EXPECT_NE(list.find("a.mp3"), std::string::npos);
  EXPECT_EQ(list.find("secret.txt"), std::string::npos) << list;
  peer.send_frame("Zalbum\\inner");
  EXPECT_EQ(ask(peer, "L").front(), 'L') << "the secret folder by its own name gets no list";
}

TEST_F(ServedFilesTest, PartialDownloadsAreNeitherListedHashedNorServed) {
  set_shares({{"Public", kPublicShare}});
  settings.update([this](settings::StoredSettings& values) { values.down_path = (share_folder("Public") / "Download").string(); });
  temp.write("shares/Public/Download/_DTEMP_/[DOVEL]movie.avi", "part of a movie");
  temp.write("shares/Public/Download/_DTEMP_/stray.bin", "in the partial folder");
  temp.write("shares/Public/Download/Album/[DOVEL]track2.mp3", "half a track");
  temp.write("shares/Public/Download/Album/track1.mp3", "a whole track");
  const struct {
    const char* folder;
    const char* name;
    size_t size;
  } partial[] = {
      {"Download\\_DTEMP_", "[DOVEL]movie.avi", 15},
      {"Download\\_DTEMP_", "stray.bin", 21},
      {"Download\\Album", "[DOVEL]track2.mp3", 12},
  };
  for (const auto& p : partial) {
    SCOPED_TRACE(std::string(p.folder) + "\\" + p.name);
    EXPECT_EQ(download_status(0, p.folder, p.name, p.size), 5);
    auto peer = browse();
    enter(peer, std::string("\\Public\\") + p.folder);
    EXPECT_EQ(ask(peer, std::string("H") + p.name + "|" + std::to_string(p.size)), "1");
  }
  EXPECT_EQ(download_status(0, "Download\\Album", "track1.mp3", 13), 1);

  auto peer = browse();
  enter(peer, "\\Public");
  const std::string list = ask(peer, "ZDownload");
  EXPECT_NE(list.find("track1.mp3"), std::string::npos) << list;
  for (const char* hidden : {"stray.bin", "DOVEL"}) EXPECT_EQ(list.find(hidden), std::string::npos) << list;
  std::lock_guard guard(db::database_lock());
  EXPECT_EQ(databases.data.Query("Select count(*) From shared_files Where name Like '%DOVEL%' Or name='stray'").Int(0), 0)
      << "no partial download became a shared file";
}

TEST_F(ServedFilesTest, LinksInsideAShareAreNotFollowed) {
  set_shares({{"Public", kPublicShare}});
  temp.write("shares/Public/Music/song.bin", "la la la");
  std::filesystem::create_directory_symlink(share_folder("Public") / "Music", share_folder("Public") / "Linked");
  std::filesystem::create_symlink(share_folder("Public") / "Music" / "song.bin", share_folder("Public") / "alias.bin");
  EXPECT_EQ(download_status(0, "Linked", "song.bin", 8), 5) << "a linked folder";
  EXPECT_EQ(download_status(0, "", "alias.bin", 8), 5) << "a linked file";
  EXPECT_EQ(download_status(0, "Music", "song.bin", 8), 1);
  auto peer = browse();
  enter(peer, "\\Public");
  EXPECT_EQ(ask(peer, "Halias.bin|8"), "1");
}

}  // namespace
}  // namespace dovel::server
