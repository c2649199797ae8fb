// Program-relative paths and the small file helpers.
#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "util/file_utils.h"
#include "util/program_path.h"

namespace dovel::util {
namespace {

TEST(ProgramPath, JoinsBackslashSeparatedNamesBelowTheProgramFolder) {
  SetProgramFolder("/data/home");
  EXPECT_EQ(ProgramPath("Log\\System"), std::filesystem::path("/data/home/Log/System"));
  EXPECT_EQ(ProgramPath("\\DovelData.dat"), std::filesystem::path("/data/home/DovelData.dat"));
  EXPECT_EQ(ProgramPath("intro.html"), std::filesystem::path("/data/home/intro.html"));
}

TEST(FileUtils, FoldersAndSizes) {
  test::TempFolder folder;
  std::filesystem::path nested = folder / "a/b/c";
  EXPECT_FALSE(FolderExists(nested));
  EXPECT_TRUE(CreateFolderPath(nested));
  EXPECT_TRUE(CreateFolderPath(nested)) << "an existing folder is success";
  EXPECT_TRUE(FolderExists(nested));

  std::filesystem::path file = folder.write("a/file.bin", "12345");
  EXPECT_EQ(FileSize(file), 5u);
  EXPECT_FALSE(FolderExists(file));
  EXPECT_FALSE(CreateFolderPath(file / "below")) << "a file stands in the way";
  EXPECT_EQ(FileSize(folder / "missing"), 0u);
  EXPECT_EQ(FileSize(nested), 0u);
  EXPECT_NE(VolumeSerial(folder.path()), 0u);
}

TEST(FileUtils, AFolderInsideAnother) {
  test::TempFolder folder;
  std::filesystem::create_directories(folder / "music/rock");
  std::filesystem::create_directories(folder / "musicals");
  std::filesystem::create_directory_symlink(folder / "music", folder / "linked");
  const auto at = [&folder](const char* name) { return (folder / name).string(); };
  const struct {
    std::string inner;
    std::string outer;
    bool inside;
  } cases[] = {
      {at("music/rock"), at("music"), true},
      {at("music/rock/"), at("music//"), true},
      {at("linked/rock"), at("music"), true},
      {at("music/rock"), at("linked"), true},
      {at("music/../music/rock"), at("music"), true},
      {at("music/not_yet"), at("music"), true},
      {at("music"), at("music"), false},
      {at("music"), at("linked/"), false},
      {at("music"), at("music/rock"), false},
      {at("musicals"), at("music"), false},
      {"", at("music"), false},
      {at("music"), "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderInside(c.inner, c.outer), c.inside) << c.inner << " in " << c.outer;
}

TEST(FileUtils, CollapsesDoubledSeparators) {
  EXPECT_EQ(collapse_doubled_separators("/a//b///c/"), "/a/b/c/");
  EXPECT_EQ(collapse_doubled_separators("/home/x/Download/"), "/home/x/Download/");
}

}  // namespace
}  // namespace dovel::util
