#include "download/download_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "download/download_names.h"
#include "support/temp_folder.h"

namespace dovel::download {
namespace {

TEST(DownloadNamesTest, FileNamesMustBeOnePlainName) {
  struct Case {
    std::string name;
    bool safe;
  };
  const Case cases[] = {
      {"movie.avi", true},
      {"노래 모음 (2024).mp3", true},
      {"..hidden..", true},
      {".profile", true},
      {"a:b*c?.txt", true},
      {std::string(kMaxFileNameBytes, 'x'), true},
      {std::string(kMaxFileNameBytes + 1, 'x'), false},
      {"", false},
      {".", false},
      {"..", false},
      {"../escape.txt", false},
      {"dir/file", false},
      {"/etc/passwd", false},
      {"..\\escape.txt", false},
      {"a\\b", false},
      {std::string("nul\0byte", 8), false},
      {"line\nbreak", false},
      {"tab\tname", false},
      {"bell\x07", false},
      {"del\x7f", false},
      {"c1\xc2\x9b", false},
      {"bad\xff utf8", false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_safe_file_name(c.name), c.safe) << c.name;
}

TEST(DownloadNamesTest, SubFoldersAreSafeComponentsBelowTheDownloadFolder) {
  struct Case {
    std::string sub_folder;
    bool safe;
  };
  const Case cases[] = {
      {"", true},
      {"music", true},
      {"music\\rock", true},
      {"\\music\\", true},
      {"music\\..\\..", false},
      {"..", false},
      {"music\\\\rock", false},
      {"music/rock", false},
      {"a\nb", false},
      {std::string(kMaxSubFolderBytes + 1, 'a'), false},
      {std::string(256, 'a'), false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_safe_sub_folder(c.sub_folder), c.safe) << c.sub_folder;
}

TEST(DownloadNamesTest, PrintableNameHidesControlBytesAndStaysShort) {
  EXPECT_EQ(printable_name("a\nb\x1b[2J"), "a?b?[2J");
  EXPECT_EQ(printable_name(std::string(100000, 'x')).size(), 255u);
  EXPECT_EQ(printable_name(std::string(254, 'x') + "가"), std::string(254, 'x'));
}

class DownloadPathsTest : public ::testing::Test {
 protected:
  std::filesystem::path canonical(const std::filesystem::path& path) { return std::filesystem::weakly_canonical(path); }

  dovel::test::TempFolder home;
};

TEST_F(DownloadPathsTest, TemporaryFileLiesInTheTemporaryFolderWithItsPrefix) {
  std::filesystem::create_directories(home / "Download");
  std::optional<std::filesystem::path> path = temporary_file_path(home / "Download", "a b.txt");
  ASSERT_TRUE(path);
  EXPECT_EQ(*path, canonical(home / "Download/_DTEMP_/[DOVEL]a b.txt"));
  EXPECT_EQ(temporary_folder_path(home / "Download"), canonical(home / "Download/_DTEMP_"));
}

TEST_F(DownloadPathsTest, MissingDownloadFolderGivesThePathItWillHave) {
  EXPECT_EQ(temporary_file_path(home / "none/Download", "x.bin"), home / "none/Download/_DTEMP_/[DOVEL]x.bin");
  EXPECT_EQ(target_folder_path(home / "none/Download", "a\\b"), home / "none/Download/a/b");
}

TEST_F(DownloadPathsTest, HostileNamesGiveNoPath) {
  std::filesystem::create_directories(home / "Download");
  for (const char* name : {"../x", "..", "a/b", "a\\..\\..\\x", "", "x\ny"}) {
    EXPECT_FALSE(temporary_file_path(home / "Download", name)) << name;
  }
  EXPECT_FALSE(temporary_file_path("", "x"));
  EXPECT_FALSE(target_folder_path(home / "Download", "..\\.."));
}

TEST_F(DownloadPathsTest, LinksLeadingOutsideAreRefused) {
  std::filesystem::create_directories(home / "Download");
  std::filesystem::create_directories(home / "elsewhere");
  std::filesystem::create_directory_symlink(home / "elsewhere", home / "Download/_DTEMP_");
  std::filesystem::create_directory_symlink(home / "elsewhere", home / "Download/out");
  EXPECT_FALSE(temporary_file_path(home / "Download", "x.bin"));
  EXPECT_FALSE(temporary_folder_path(home / "Download"));
  EXPECT_FALSE(target_folder_path(home / "Download", "out"));
  EXPECT_FALSE(target_folder_path(home / "Download", "out\\deeper"));
  std::filesystem::create_directory_symlink(home / "nowhere", home / "dangling");
  EXPECT_FALSE(temporary_file_path(home / "dangling", "x.bin"));
}

TEST_F(DownloadPathsTest, TargetFolderIsTheDownloadFolderOrBelowIt) {
  std::filesystem::create_directories(home / "Download");
  EXPECT_EQ(target_folder_path(home / "Download", ""), canonical(home / "Download"));
  EXPECT_EQ(target_folder_path(home / "Download", "영화\\2024"), canonical(home / "Download") / "영화" / "2024");
}

}  // namespace
}  // namespace dovel::download
