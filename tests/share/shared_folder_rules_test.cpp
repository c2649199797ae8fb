#include "share/shared_folder_rules.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace dovel::share {
namespace {

TEST(SharedFolderRules, EntryChecksInOrder) {
  test::TempFolder temp;
  std::filesystem::create_directories(temp / "music");
  std::filesystem::create_directories(temp / "movies");
  const std::string music = (temp / "music").string();
  const std::string movies = (temp / "movies").string();
  const std::vector<settings::SharedFolder> rows = {{"음악", music, 5}};
  const struct {
    settings::SharedFolder entry;
    EntryMode mode;
    std::string message;
  } cases[] = {
      {{"영화", movies, 5}, EntryMode::Add, ""},
      {{"", movies, 5}, EntryMode::Add, "공유이름이 비었습니다."},
      {{"", "", 5}, EntryMode::Add, "공유이름이 비었습니다."},
      {{"영화", "", 5}, EntryMode::Add, "폴더를 선택하지 않았습니다."},
      {{"루트", "/", 5}, EntryMode::Add, "윈도우 루트폴더는 사용하실수 없습니다."},
      {{"영화", (temp / "missing").string(), 5}, EntryMode::Add, "선택한 폴더가 존재하지 않습니다."},
      {{"..", movies, 5}, EntryMode::Add, "공유이름으로 ..을 사용할 수 없습니다."},
      {{"a;b", movies, 5}, EntryMode::Add, "공유이름과 공유폴더에는 ';'를 쓸 수 없습니다."},
      {{"a|b", movies, 5}, EntryMode::Add, "공유이름에 쓸 수 없는 글자가 있습니다."},
      {{"😀", movies, 5}, EntryMode::Add, "공유이름에 쓸 수 없는 글자가 있습니다."},
      {{"영화", movies, settings::SHARE_FRIEND | settings::SHARE_SECRET}, EntryMode::Add, "친구폴더와 비밀폴더는 함께 지정할 수 없습니다."},
      {{"음악", movies, 5}, EntryMode::Add, "같은 이름이 이미 존재합니다."},
      {{"음악 ", movies, 5}, EntryMode::Add, ""},
      {{"영화", music + "/", 5}, EntryMode::Add, "같은 폴더가 이미 존재합니다."},
      {{"음악", music, 1}, EntryMode::Modify, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(check_shared_folder_entry(c.entry, rows, c.mode).value_or(""), c.message) << c.entry.name << " " << c.entry.path;
  }
}

TEST(SharedFolderRules, ListChecks) {
  test::TempFolder temp;
  std::filesystem::create_directories(temp / "down");
  const std::string down = (temp / "down").string();
  const std::vector<settings::SharedFolder> clash = {{"a", "/a", 5}, {"b", "/b", 5}, {"c", down + "/", 5}};
  EXPECT_EQ(check_shared_folder_list(clash, down, "").value_or(""),
            "다운폴더와 공유폴더 3번째 폴더와 같습니다.\r\n\r\n다운폴더와 공유폴더는 같아서는 안됩니다. 다르게 설정해주십시요.");
  const std::vector<settings::SharedFolder> secret = {{"a", "/a", 5}, {"s", "/s", settings::SHARE_SECRET}};
  EXPECT_EQ(check_shared_folder_list(secret, down, "").value_or(""), "비밀폴더가 있습니다. 비밀폴더를 위한 암호를 설정해 주세요.");
  EXPECT_FALSE(check_shared_folder_list(secret, down, "pw"));
}

TEST(SharedFolderRules, NoSharedFolderInsideOrAroundAnother) {
  test::TempFolder temp;
  for (const char* folder : {"down", "music", "music/rock", "movies", "musicals"}) std::filesystem::create_directories(temp / folder);
  std::filesystem::create_directory_symlink(temp / "music", temp / "music_link");
  const std::string down = (temp / "down").string();
  auto at = [&temp](const char* folder) { return (temp / folder).string(); };
  const std::string inside = "공유폴더 %d번째 폴더가 %d번째 폴더 안에 있습니다.\r\n\r\n공유폴더 안에 다른 공유폴더를 둘 수 없습니다. 다르게 설정해주십시요.";
  auto inside_message = [&inside](int inner, int outer) {
    std::string text = inside;
    text.replace(text.find("%d"), 2, std::to_string(inner));
    text.replace(text.find("%d"), 2, std::to_string(outer));
    return text;
  };
  const std::string twice = "공유폴더 1번째 폴더와 3번째 폴더가 같습니다.\r\n\r\n같은 폴더를 두 번 공유할 수 없습니다. 다르게 설정해주십시요.";
  const struct {
    const char* what;
    std::vector<settings::SharedFolder> rows;
    std::string message;
  } cases[] = {
      {"side by side", {{"a", at("music"), 5}, {"b", at("movies"), 5}, {"c", at("musicals"), 5}}, ""},
      {"a secret share inside a public one", {{"a", at("music"), 1}, {"b", at("movies"), 1}, {"c", at("music/rock"), 17}}, inside_message(3, 1)},
      {"a public share around a friend-only one", {{"a", at("music/rock"), 9}, {"b", at("music"), 1}}, inside_message(1, 2)},
      {"the same flags nest no better", {{"a", at("music"), 5}, {"b", at("music/rock"), 5}}, inside_message(2, 1)},
      {"inside through a link", {{"a", at("music"), 1}, {"b", (temp / "music_link/rock").string(), 17}}, inside_message(2, 1)},
      {"one folder twice", {{"a", at("music"), 1}, {"b", at("movies"), 1}, {"c", at("music_link") + "/", 17}}, twice},
  };
  for (const auto& c : cases) EXPECT_EQ(check_shared_folder_list(c.rows, down, "pw").value_or(""), c.message) << c.what;
  // The download folder's own rule is told first.
  const std::vector<settings::SharedFolder> both = {{"a", at("music"), 1}, {"b", at("music/rock"), 1}, {"c", down, 1}};
  EXPECT_EQ(check_shared_folder_list(both, down, "pw").value_or("").rfind("다운폴더와 공유폴더 3번째", 0), 0u);
}

TEST(SharedFolderRules, OnlyFolderFriendAndSecretChangesNeedARehash) {
  const settings::SharedFolder before{"a", "/x", settings::SHARE_READ | settings::SHARE_ADULT};
  const struct {
    settings::SharedFolder after;
    bool rehash;
  } cases[] = {{{"renamed", "/x", settings::SHARE_READ | settings::SHARE_ADULT}, false},
               {{"a", "/x", settings::SHARE_READ}, false},
               {{"a", "/x/", settings::SHARE_READ | settings::SHARE_ADULT}, false},
               {{"a", "/y", settings::SHARE_READ | settings::SHARE_ADULT}, true},
               {{"a", "/x", settings::SHARE_READ | settings::SHARE_FRIEND}, true},
               {{"a", "/x", settings::SHARE_READ | settings::SHARE_ADULT | settings::SHARE_SECRET}, true}};
  for (const auto& c : cases) EXPECT_EQ(modification_needs_rehash(before, c.after), c.rehash) << c.after.name << c.after.path << c.after.flags;
}

TEST(SharedFolderRules, FlagsText) {
  const struct {
    uint32_t flags;
    const char* text;
  } cases[] = {{0, ""},
               {settings::SHARE_READ, ""},
               {settings::SHARE_ADULT, "성인"},
               {settings::SHARE_FRIEND, "친구"},
               {settings::SHARE_SECRET, "비밀"},
               {settings::SHARE_ADULT | settings::SHARE_SECRET, "성인/비밀"},
               {settings::SHARE_ADULT | settings::SHARE_FRIEND | settings::SHARE_SECRET, "성인/친구/비밀"}};
  for (const auto& [flags, text] : cases) EXPECT_EQ(ShareFlagsText(flags), text) << flags;
}

}  // namespace
}  // namespace dovel::share
