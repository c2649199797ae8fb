#include "download/file_move.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "download/large_file_check.h"
#include "support/temp_folder.h"

namespace dovel::download {
namespace {

namespace fs = std::filesystem;

class FileMoveTest : public ::testing::Test {
 protected:
  fs::path finished(const std::string& content = "finished bytes") { return temp.write("down/_DTEMP_/[DOVEL]a.bin", content); }
  fs::path down() const { return temp / "down"; }

  test::TempFolder temp;
};

TEST_F(FileMoveTest, MovesIntoTheSubFolderUnderItsOwnName) {
  const fs::path partial = finished();
  FinishedFileMove moved = move_finished_file(partial, down(), "영화\\2024", "a.bin");
  ASSERT_TRUE(moved.moved);
  EXPECT_TRUE(moved.first_choice);
  EXPECT_EQ(moved.final_name, "a.bin");
  EXPECT_EQ(moved.final_path, fs::canonical(down()) / "영화" / "2024" / "a.bin");
  EXPECT_EQ(test::read_file(moved.final_path), "finished bytes");
  EXPECT_FALSE(fs::exists(partial));
}

TEST_F(FileMoveTest, ATakenNameGetsOneMoreNewFilePrefixPerRetryAndIsNeverReplaced) {
  temp.write("down/a.bin", "first");
  temp.write("down/새파일-a.bin", "second");
  const fs::path partial = finished();
  FinishedFileMove moved = move_finished_file(partial, down(), "", "a.bin");
  ASSERT_TRUE(moved.moved);
  EXPECT_FALSE(moved.first_choice);
  EXPECT_EQ(moved.final_name, "새파일-새파일-a.bin");
  EXPECT_EQ(test::read_file(down() / "새파일-새파일-a.bin"), "finished bytes");
  EXPECT_EQ(test::read_file(down() / "a.bin"), "first");
  EXPECT_EQ(test::read_file(down() / "새파일-a.bin"), "second");
}

TEST_F(FileMoveTest, ATakenNameInTheSubFolderRetriesInTheDownloadFolder) {
  temp.write("down/sub/a.bin", "there");
  FinishedFileMove moved = move_finished_file(finished(), down(), "sub", "a.bin");
  ASSERT_TRUE(moved.moved);
  EXPECT_EQ(moved.final_path, fs::canonical(down()) / "새파일-a.bin");
  EXPECT_EQ(test::read_file(down() / "sub" / "a.bin"), "there");
}

TEST_F(FileMoveTest, WhenEveryNameIsTakenTheFileStaysWhereItIs) {
  std::string name = "a.bin";
  temp.write("down/" + name, "taken");
  for (int retry = 0; retry < kMoveRetries; ++retry) {
    name = std::string(kNewFilePrefix) + name;
    temp.write("down/" + name, "taken");
  }
  const fs::path partial = finished();
  EXPECT_FALSE(move_finished_file(partial, down(), "", "a.bin").moved);
  EXPECT_EQ(test::read_file(partial), "finished bytes");
}

TEST_F(FileMoveTest, UnsafeNamesAndSubFoldersNeverLeadOutsideTheDownloadFolder) {
  fs::create_directories(temp / "outside");
  fs::create_directories(down());
  fs::create_symlink(temp / "outside", down() / "link");
  struct Case {
    const char* sub_folder;
    const char* name;
  };
  const Case cases[] = {{"..", "a.bin"}, {"", ".."}, {"", "../a.bin"}, {"a/../..", "a.bin"}, {"link", "a.bin"}, {"", "a\nb.bin"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sub_folder) + " | " + c.name);
    const fs::path partial = finished();
    FinishedFileMove moved = move_finished_file(partial, down(), c.sub_folder, c.name);
    if (moved.moved) {
      const fs::path parent = fs::canonical(moved.final_path.parent_path());
      EXPECT_EQ(parent, fs::canonical(down()));
      fs::remove(moved.final_path);
    }
  }
  EXPECT_TRUE(fs::is_empty(temp / "outside"));
  EXPECT_FALSE(fs::exists(temp / "a.bin"));
}

TEST_F(FileMoveTest, MovingOntoAnExistingFileFailsAndKeepsBoth) {
  const fs::path from = temp.write("x", "new");
  const fs::path to = temp.write("y", "old");
  EXPECT_FALSE(move_without_replacing(from, to));
  EXPECT_EQ(test::read_file(from), "new");
  EXPECT_EQ(test::read_file(to), "old");
  EXPECT_TRUE(move_without_replacing(from, temp / "z"));
  EXPECT_EQ(test::read_file(temp / "z"), "new");
}

TEST_F(FileMoveTest, TheCopyForOtherFileSystemsNeverReplacesEither) {
  const fs::path from = temp.write("x", std::string(200000, 'q'));
  const fs::path taken = temp.write("y", "old");
  EXPECT_FALSE(copy_then_remove(from, taken));
  EXPECT_EQ(test::read_file(taken), "old");
  EXPECT_TRUE(fs::exists(from));
  ASSERT_TRUE(copy_then_remove(from, temp / "z"));
  EXPECT_EQ(test::read_file(temp / "z"), std::string(200000, 'q'));
  EXPECT_FALSE(fs::exists(from));
}

TEST(LargeFileCheckTest, OnlyFatRefusesFilesOfFourGigabytesAndMore) {
  constexpr int64_t kExt4 = 0xEF53;
  EXPECT_TRUE(too_large_for(kLargeFileSize, kFatFileSystem));
  EXPECT_FALSE(too_large_for(kLargeFileSize - 1, kFatFileSystem));
  EXPECT_FALSE(too_large_for(5000000000, kExt4));
  test::TempFolder temp;
  EXPECT_FALSE(too_large_for_folder(5000000000, temp.path()));
  EXPECT_FALSE(too_large_for_folder(5000000000, "/no/such/folder"));
}

}  // namespace
}  // namespace dovel::download
