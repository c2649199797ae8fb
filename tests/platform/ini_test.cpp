#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/atomic_file.h"
#include "platform/ini_text.h"
#include "platform/profile_ini.h"
#include "support/temp_folder.h"

namespace dovel::platform {
namespace {

TEST(IniText, FindEntry) {
  const std::string text =
      "; comment=1\r\n"
      "top=outside any section\n"
      "[Window]\r\n"
      "  Left = 10 \r\n"
      ";Top=99\n"
      "Expr=a=b\n"
      "Empty=\n"
      "[ View ]\n"
      "Left=20\n"
      "[Window2]\n"
      "Width=5\n";
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"Window", "Left", "10"},   {"WINDOW", "left", "10"},  {"View", "Left", "20"},
      {"Window", "Top", std::nullopt},  // only in a comment
      {"Window", "Expr", "a=b"},  {"Window", "Empty", ""},   {"Window", "Width", std::nullopt},
      {"Window2", "Width", "5"},  {"Missing", "Left", std::nullopt},
      {"", "top", std::nullopt},  // lines before the first section belong to none
  };
  for (const Case& c : cases) EXPECT_EQ(find_ini_entry(text, c.section, c.key), c.expected) << c.section << "/" << c.key;
}

TEST(IniText, WithEntry) {
  struct Case {
    const char* text;
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"", "S", "k", "[S]\nk=v\n"},
      {"[S]\nk=old\n", "S", "k", "[S]\nk=v\n"},
      {"[S]\nk=old", "S", "k", "[S]\nk=v\n"},
      {"[s]\n  K = old\n", "S", "k", "[s]\nk=v\n"},
      {"; keep me\n[S]\n; and me\nk=old\nother=1\n", "S", "k", "; keep me\n[S]\n; and me\nk=v\nother=1\n"},
      {"[A]\nx=1\n\n[B]\ny=2\n", "A", "z", "[A]\nx=1\nz=v\n\n[B]\ny=2\n"},
      {"[A]\nx=1\n", "B", "y", "[A]\nx=1\n[B]\ny=v\n"},
      {"[A]\nk=1\n[B]\n", "B", "k", "[A]\nk=1\n[B]\nk=v\n"},
      {"[S]\n", "S", "k", "[S]\nk=v\n"},
      {"[S]\n;k=commented\n", "S", "k", "[S]\n;k=commented\nk=v\n"},
      {"top=1\n", "S", "top", "top=1\n[S]\ntop=v\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(with_ini_entry(c.text, c.section, c.key, "v"), c.expected) << c.text;
}

class ProfileIniTest : public ::testing::Test {
 protected:
  test::TempFolder temp_;
  std::filesystem::path path_ = temp_ / "config" / "dovel.ini";
};

TEST_F(ProfileIniTest, MissingFileGivesTheFallbacks) {
  ProfileIni profile(path_);
  EXPECT_EQ(profile.read_string("Window", "Left", "fallback"), "fallback");
  EXPECT_EQ(profile.read_int("Window", "Left", -7), -7);
  EXPECT_FALSE(std::filesystem::exists(path_)) << "reading creates nothing";
}

TEST_F(ProfileIniTest, WrittenValuesAreReadBackByAnotherInstance) {
  {
    ProfileIni profile(path_);
    ASSERT_TRUE(profile.write_string("Window", "Title", "창 제목"));
    ASSERT_TRUE(profile.write_int("Window", "Left", -120));
    ASSERT_TRUE(profile.write_int("View", "Mode", 3));
    ASSERT_TRUE(profile.write_int("window", "LEFT", 40));
  }
  ProfileIni profile(path_);
  EXPECT_EQ(profile.read_string("WINDOW", "title", ""), "창 제목");
  EXPECT_EQ(profile.read_int("Window", "Left", 0), 40);
  EXPECT_EQ(profile.read_int("View", "Mode", 0), 3);
  EXPECT_EQ(profile.read_int("View", "Missing", 9), 9);
  EXPECT_EQ(read_whole_file(path_, 1000), "[Window]\nTitle=창 제목\nLEFT=40\n[View]\nMode=3\n");
}

TEST_F(ProfileIniTest, ReadIntTakesTheLeadingNumber) {
  struct Case {
    const char* stored;
    int expected;
  };
  const Case cases[] = {{"12abc", 12}, {"-3", -3}, {" 42 ", 42}, {"+8", 8}, {"abc", 0}, {"", 5}, {"0x10", 0}};
  ProfileIni profile(path_);
  for (const Case& c : cases) {
    ASSERT_TRUE(profile.write_string("S", "k", c.stored));
    EXPECT_EQ(profile.read_int("S", "k", 5), c.expected) << '"' << c.stored << '"';
  }
}

TEST_F(ProfileIniTest, WritingKeepsHandWrittenLinesAndComments) {
  const std::string original = "; written by hand\n[Window]\n# odd comment\nLeft=1\n\n[Other]\nx = y \n";
  temp_.write("config/dovel.ini", original);
  ProfileIni profile(path_);
  ASSERT_TRUE(profile.write_int("Window", "Top", 2));
  ASSERT_TRUE(profile.write_int("New", "Value", 3));
  EXPECT_EQ(read_whole_file(path_, 1000), "; written by hand\n[Window]\n# odd comment\nLeft=1\nTop=2\n\n[Other]\nx = y \n[New]\nValue=3\n");
  EXPECT_EQ(profile.read_string("Other", "x", ""), "y");
}

TEST_F(ProfileIniTest, RefusesTextsThatWouldBreakTheLineFormat) {
  ProfileIni profile(path_);
  ASSERT_TRUE(profile.write_string("S", "k", "safe"));
  EXPECT_FALSE(profile.write_string("S", "k", "two\nlines"));
  EXPECT_FALSE(profile.write_string("S", "k", "carriage\rreturn"));
  EXPECT_FALSE(profile.write_string("S", "a=b", "x"));
  EXPECT_FALSE(profile.write_string("S\n[T]", "k", "x"));
  EXPECT_EQ(profile.read_string("S", "k", ""), "safe");
  EXPECT_EQ(profile.read_string("T", "k", "none"), "none");
}

TEST_F(ProfileIniTest, AnUnreadableFileIsNotReplaced) {
  std::filesystem::create_directories(path_ / "inside");
  ProfileIni profile(path_);
  EXPECT_FALSE(profile.write_string("S", "k", "v"));
  EXPECT_TRUE(std::filesystem::is_directory(path_ / "inside"));
  EXPECT_EQ(profile.read_string("S", "k", "fallback"), "fallback");
}

}  // namespace
}  // namespace dovel::platform
