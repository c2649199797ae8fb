#include "share/served_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/nested_share_cases.h"
#include "support/temp_folder.h"

namespace dovel::share {
namespace {

namespace fs = std::filesystem;

using test::kAdultShare;
using test::kFriendShare;
using test::kPublicShare;
using test::kSecretShare;

class ServedTreeTest : public ::testing::Test {
 protected:
  fs::path folder(const std::string& name) const { return fs::canonical(temp.path()) / name; }
  // Shares by folder below the temporary folder, in order, named after their index.
  ServedTree tree_of(const std::vector<std::pair<std::string, uint32_t>>& shares, const std::string& download_folder = "") const {
    std::vector<settings::SharedFolder> folders;
    for (const auto& [path, flags] : shares) {
      fs::create_directories(temp / path);
      folders.push_back({"share" + std::to_string(folders.size()), (temp / path).string(), flags});
    }
    return ServedTree(folders, download_folder.empty() ? std::string() : (temp / download_folder).string());
  }

  test::TempFolder temp;
};

// A share whose folder holds another share's folder, the other lying at "outer/inner";
// the file "outer/inner/f.bin" is reached through either.
TEST_F(ServedTreeTest, WhatNestedSharesHoldIsServedOnlyThroughTheStricterShare) {
  temp.write("outer/inner/f.bin", "nested");
  temp.write("outer/o.bin", "outer only");
  for (const test::NestedShareCase& c : test::kNestedShareCases) {
    SCOPED_TRACE(c.what);
    const ServedTree tree = tree_of({{"outer", c.outer}, {"outer/inner", c.inner}});
    EXPECT_EQ(tree.file(0, "inner", "f.bin").has_value(), c.through_outer);
    EXPECT_EQ(tree.serves_folder(0, folder("outer/inner")), c.through_outer);
    EXPECT_EQ(tree.file(1, "", "f.bin").has_value(), c.through_inner);
    EXPECT_EQ(tree.serves_folder(1, folder("outer/inner")), c.through_inner);
    EXPECT_TRUE(tree.file(0, "", "o.bin")) << "what lies outside the inner share keeps the outer share's rules";
  }
}

TEST_F(ServedTreeTest, AFolderSharedTwiceIsServedThroughTheStricterEntryOnly) {
  temp.write("both/f.bin", "twice");
  const ServedTree tree = tree_of({{"both", kPublicShare}, {"both", kSecretShare}});
  EXPECT_FALSE(tree.file(0, "", "f.bin"));
  EXPECT_TRUE(tree.file(1, "", "f.bin"));
}

TEST_F(ServedTreeTest, PartialDownloadsAreNeverServed) {
  temp.write("home/Download/done.avi", "done");
  temp.write("home/Download/_DTEMP_/[DOVEL]movie.avi", "part");
  temp.write("home/Download/_DTEMP_/stray.bin", "stray");
  temp.write("home/Download/Album/[DOVEL]track.mp3", "folder download, half done");
  temp.write("home/Download/Album/[dovel]other.mp3", "any letter case");
  temp.write("home/Download/Album/track2.mp3", "done");
  temp.write("home/Download/Album/my [DOVEL] notes.txt", "only a leading marker counts");
  const ServedTree tree = tree_of({{"home", kPublicShare}}, "home/Download");
  EXPECT_TRUE(tree.file(0, "Download", "done.avi"));
  EXPECT_TRUE(tree.file(0, "Download\\Album", "track2.mp3"));
  EXPECT_TRUE(tree.file(0, "Download\\Album", "my [DOVEL] notes.txt"));
  EXPECT_FALSE(tree.file(0, "Download\\_DTEMP_", "[DOVEL]movie.avi"));
  EXPECT_FALSE(tree.file(0, "Download\\_DTEMP_", "stray.bin")) << "nothing in the partial-download folder";
  EXPECT_FALSE(tree.file(0, "Download\\Album", "[DOVEL]track.mp3"));
  EXPECT_FALSE(tree.file(0, "Download\\Album", "[dovel]other.mp3"));
  EXPECT_FALSE(tree.serves_folder(0, folder("home/Download/_DTEMP_")));
  EXPECT_FALSE(tree.serves_folder(0, folder("home/Download/_DTEMP_") / "deeper"));
  EXPECT_TRUE(tree.serves_folder(0, folder("home/Download")));
}

TEST_F(ServedTreeTest, APartialDownloadFolderMadeLaterIsStillRefused) {
  fs::create_directories(temp / "home/Download");
  const ServedTree tree = tree_of({{"home", kPublicShare}}, "home/Download");
  temp.write("home/Download/_DTEMP_/[DOVEL]new.avi", "begun after the tree was made");
  temp.write("home/Download/_DTEMP_/new.bin", "x");
  EXPECT_FALSE(tree.file(0, "Download\\_DTEMP_", "new.bin"));
}

TEST_F(ServedTreeTest, AShareInsideThePartialDownloadFolderServesNothing) {
  temp.write("Download/_DTEMP_/share/f.bin", "x");
  const ServedTree tree = tree_of({{"Download/_DTEMP_/share", kPublicShare}}, "Download");
  EXPECT_FALSE(tree.file(0, "", "f.bin"));
  EXPECT_FALSE(tree.serves_folder(0, folder("Download/_DTEMP_/share")));
}

TEST_F(ServedTreeTest, LinksBelowAShareAreNeverFollowedButTheShareItselfMayBeOne) {
  temp.write("real/sub/f.bin", "real");
  temp.write("outside/o.bin", "outside");
  fs::create_directory_symlink(temp / "real/sub", temp / "real/linked_dir");
  fs::create_symlink(temp / "real/sub/f.bin", temp / "real/linked.bin");
  fs::create_directory_symlink(temp / "outside", temp / "real/out");
  fs::create_directory_symlink(temp / "real", temp / "share_link");
  const ServedTree tree = tree_of({{"real", kPublicShare}, {"share_link", kPublicShare}});
  EXPECT_TRUE(tree.file(0, "sub", "f.bin"));
  EXPECT_FALSE(tree.file(0, "linked_dir", "f.bin"));
  EXPECT_FALSE(tree.file(0, "", "linked.bin"));
  EXPECT_FALSE(tree.file(0, "out", "o.bin"));
  EXPECT_EQ(tree.canonical_folder(1), folder("real"));
}

TEST_F(ServedTreeTest, OnlyRegularFilesWithNamesAListingShows) {
  temp.write("s/ok.bin", "ok");
  temp.write("s/a:b/f.bin", "a folder name the wire cannot carry");
  temp.write("s/pipe|name.bin", "x");
  fs::create_directories(temp / "s/folder");
  const ServedTree tree = tree_of({{"s", kPublicShare}});
  const struct {
    const char* folder;
    const char* name;
  } refused[] = {{"a:b", "f.bin"}, {"", "pipe|name.bin"}, {"", "folder"}, {"", "missing.bin"}, {"..", "s"}, {"", ""}, {"a\\\\b", "ok.bin"}};
  for (const auto& r : refused) EXPECT_FALSE(tree.file(0, r.folder, r.name)) << r.folder << " / " << r.name;
  const std::optional<FileOnDisk> ok = tree.file(0, "\\", "ok.bin");
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->index, 0);
  EXPECT_EQ(ok->path, folder("s/ok.bin"));
  EXPECT_EQ(ok->size, 2);
  EXPECT_NE(ok->last_write, 0u);
  EXPECT_FALSE(tree.file(1, "", "ok.bin")) << "no such share";
  EXPECT_FALSE(tree.file(-1, "", "ok.bin"));
}

TEST_F(ServedTreeTest, FindFileTriesThePreferredShareFirstThenEveryShareInOrder) {
  temp.write("a/x.bin", "1");
  temp.write("b/x.bin", "22");
  temp.write("c/x.bin", "333");
  const ServedTree tree = tree_of({{"a", kPublicShare}, {"b", kPublicShare}, {"c", kPublicShare}});
  auto any = [](const FileOnDisk&) { return true; };
  auto size_of = [](int64_t size) { return [size](const FileOnDisk& found) { return found.size == size; }; };
  EXPECT_EQ(tree.find_file(2, "", "x.bin", any)->index, 2);
  EXPECT_EQ(tree.find_file(7, "", "x.bin", any)->index, 0);
  EXPECT_EQ(tree.find_file(0, "", "x.bin", size_of(3))->index, 2);
  EXPECT_EQ(tree.find_file(2, "", "x.bin", size_of(2))->index, 1);
  EXPECT_FALSE(tree.find_file(0, "", "x.bin", size_of(4)));
}

TEST(ShareStrictness, ARestrictionTheOtherLacks) {
  EXPECT_TRUE(is_stricter(kSecretShare, kPublicShare));
  EXPECT_TRUE(is_stricter(kAdultShare, kPublicShare));
  EXPECT_TRUE(is_stricter(kFriendShare, kAdultShare));
  EXPECT_FALSE(is_stricter(kPublicShare, kSecretShare));
  EXPECT_FALSE(is_stricter(kSecretShare, kSecretShare | settings::SHARE_ADULT));
  EXPECT_FALSE(is_stricter(settings::SHARE_READ | settings::SHARE_WRITE, 0));
}

}  // namespace
}  // namespace dovel::share
