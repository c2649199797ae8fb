#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/registry_store.h"
#include "support/fake_clock.h"
#include "support/temp_folder.h"
#include "util/last_error.h"
#include "util/letter_pair.h"
#include "util/log_files.h"

namespace dovel::settings {
namespace {

using platform::Hive;

const std::string kSetting = std::string(kFallbackRoot) + "\\Setting";
const std::string kFolderList = std::string(kFallbackRoot) + "\\SharedFolderList";

class SettingsTest : public ::testing::Test {
 protected:
  std::unique_ptr<Settings> fresh_settings() { return std::make_unique<Settings>(store, home.path()); }
  std::string folder(const std::string& name) {
    std::filesystem::create_directories(home / name);
    return (home / name).string();
  }

  test::TempFolder home;
  platform::RegistryStore store{home / "config"};
  Settings settings{store, home.path()};
};

TEST_F(SettingsTest, EmptyStoreGivesTheDefaults) {
  settings.Load();
  StoredSettings v = settings.values();
  EXPECT_EQ(v.share_port, 9910u);
  EXPECT_EQ(v.max_upload, 10u);
  EXPECT_NE(std::find(kDefaultServerTitles.begin(), kDefaultServerTitles.end(), v.server_subject), kDefaultServerTitles.end())
      << v.server_subject;
  EXPECT_EQ(v.down_path, (home / "Download").string() + "/");
  EXPECT_TRUE(std::filesystem::is_directory(v.down_path));
  ASSERT_EQ(v.shared_folders.size(), 1u);
  EXPECT_EQ(v.shared_folders[0].name, "기본공유폴더");
  EXPECT_EQ(v.shared_folders[0].path, (home / "Upload").string() + "/");
  EXPECT_EQ(v.shared_folders[0].flags, 5u);
  EXPECT_TRUE(std::filesystem::is_directory(v.shared_folders[0].path));
  EXPECT_EQ(store.read_string(Hive::CurrentUser, kFolderList, "0"), "기본공유폴더;" + v.shared_folders[0].path + ";5") << "saved back at once";
  EXPECT_TRUE(v.show_server && v.use_multi_down && v.allow_memo && v.ultra_turbo && v.auto_hash && v.use_notify_window);
  EXPECT_FALSE(v.use_intro_url || v.auto_retry_stop_down || v.use_server_reserve || v.use_server_reserve_repeat);
  EXPECT_EQ(v.sel_limit_down_same_time, 1u);
  EXPECT_EQ(v.max_for_folder_down, 3u);
  EXPECT_EQ(v.folder_pass, "");
  EXPECT_EQ(settings.server_kind, 0) << "every load resets the server kind";
  EXPECT_EQ(settings.upload_speed_limit, kUnlimitedSpeed);
}

TEST_F(SettingsTest, OutOfRangeNumbersAreRepaired) {
  const struct {
    const char* name;
    uint32_t stored;
    uint32_t loaded;
    uint32_t StoredSettings::*field;
  } cases[] = {
      {"SharePort", 0, 9910, &StoredSettings::share_port},
      {"SharePort", 70000, 9910, &StoredSettings::share_port},
      {"SharePort", 65535, 65535, &StoredSettings::share_port},
      {"MaxUpload", 0, 10, &StoredSettings::max_upload},
      {"MaxUpload", 101, 10, &StoredSettings::max_upload},
      {"MaxUpload", 100, 100, &StoredSettings::max_upload},
      {"MaxForFolderDown", 7, 3, &StoredSettings::max_for_folder_down},
      {"MaxForFolderDown", 6, 6, &StoredSettings::max_for_folder_down},
      {"ServerReserveStartTime", 24, 0, &StoredSettings::server_reserve_start_time},
      {"ServerReserveEndTime", 24, 0, &StoredSettings::server_reserve_end_time},
      {"ServerReserveEndTime", 23, 23, &StoredSettings::server_reserve_end_time},
      {"SelLimitDownSameTime", 9, 9, &StoredSettings::sel_limit_down_same_time},  // the page shows row 1 instead
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(store.write_dword(Hive::CurrentUser, kSetting, c.name, c.stored));
    settings.Load();
    EXPECT_EQ(settings.values().*c.field, c.loaded) << c.name << " = " << c.stored;
  }
}

TEST(SettingsDefaults, NewDataHomesDoNotAllGetTheSameTitle) {
  std::set<std::string> titles;
  for (int home_number = 0; home_number < 40; ++home_number) {
    test::TempFolder home;
    platform::RegistryStore store{home / "config"};
    Settings settings{store, home.path()};
    settings.Load();
    titles.insert(settings.values().server_subject);
  }
  EXPECT_GT(titles.size(), 1u);
}

TEST_F(SettingsTest, TitleIsTrimmedAndFolderPassDecoded) {
  store.write_string(Hive::CurrentUser, kSetting, "ServerSubject", "  도벨 서버  ");
  store.write_string(Hive::CurrentUser, kSetting, "FolderPass", util::Encode("비밀"));
  settings.Load();
  EXPECT_EQ(settings.values().server_subject, "도벨 서버");
  EXPECT_EQ(settings.values().folder_pass, "비밀");
}

TEST_F(SettingsTest, FolderListStopsAtTheFirstBadEntry) {
  store.write_string(Hive::CurrentUser, kFolderList, "0", "음악;/music;1");
  store.write_string(Hive::CurrentUser, kFolderList, "1", "big;/big;4294967301");  // low 32 bits: 5
  store.write_string(Hive::CurrentUser, kFolderList, "2", "two fields;/x");
  store.write_string(Hive::CurrentUser, kFolderList, "3", "after;/after;1");
  settings.Load();
  EXPECT_EQ(settings.shared_folders(), (std::vector<settings::SharedFolder>{{"음악", "/music", 1}, {"big", "/big", 5}}));

  for (const char* stopper : {"", "a;b;c;d", "a;b"}) {
    store.write_string(Hive::CurrentUser, kFolderList, "1", stopper);
    settings.Load();
    EXPECT_EQ(settings.shared_folders().size(), 1u) << stopper;
  }
  store.write_string(Hive::CurrentUser, kFolderList, "0", "neg;/neg;-1");
  settings.Load();
  EXPECT_EQ(settings.shared_folders()[0].flags, 0xFFFFFFFFu);
}

TEST_F(SettingsTest, SaveAndLoadRoundTrip) {
  settings.Load();
  ASSERT_TRUE(settings.update([this](StoredSettings& v) {
    v.shared_folders = {{"영화", folder("movies"), 1 | 4}, {"친구", folder("friends"), 8}, {"비밀", folder("secret"), 16}};
    v.server_subject = "똠햏 서버";
    v.intro_url = "http://example.test/intro";
    v.down_path = folder("down");
    v.folder_pass = "암호123";
    v.use_intro_url = true;
    v.use_multi_down = false;
    v.ultra_turbo = false;
    v.allow_memo = false;
    v.auto_hash = false;
    v.auto_retry_stop_down = true;
    v.use_notify_window = false;
    v.use_server_reserve = true;
    v.use_server_reserve_repeat = true;
    v.show_server = false;
    v.share_port = 12345;
    v.max_upload = 42;
    v.sel_limit_down_same_time = 3;
    v.server_reserve_start_time = 7;
    v.server_reserve_end_time = 19;
    v.max_for_folder_down = 6;
  }));
  ASSERT_TRUE(settings.Save());

  auto reloaded = fresh_settings();
  reloaded->Load();
  EXPECT_EQ(reloaded->values(), settings.values());
  EXPECT_EQ(util::Decode(*store.read_string(Hive::CurrentUser, kSetting, "FolderPass")), "암호123") << "stored encoded";
}

TEST_F(SettingsTest, SaveRewritesTheWholeFolderList) {
  settings.Load();
  settings.set_shared_folders({{"a", "/a", 1}, {"b", "/b", 1}, {"c", "/c", 1}});
  ASSERT_TRUE(settings.Save());
  settings.set_shared_folders({{"only", "/only", 1}});
  ASSERT_TRUE(settings.Save());
  EXPECT_FALSE(store.read_string(Hive::CurrentUser, kFolderList, "1"));
  auto reloaded = fresh_settings();
  reloaded->Load();
  EXPECT_EQ(reloaded->shared_folders(), (std::vector<settings::SharedFolder>{{"only", "/only", 1}}));
}

TEST_F(SettingsTest, SemicolonsCannotEnterTheStoredList) {
  settings.Load();
  auto before = settings.shared_folders();
  EXPECT_FALSE(settings.set_shared_folders({{"a;b", "/x", 1}}));
  EXPECT_FALSE(settings.set_shared_folders({{"ok", "/x;y", 1}}));
  EXPECT_EQ(settings.shared_folders(), before);
  EXPECT_TRUE(settings.set_shared_folders({{"ok", "/x", 1}}));
}

TEST_F(SettingsTest, PrimaryRootIsUsedOnlyWhenItExists) {
  store.write_dword(Hive::CurrentUser, kSetting, "SharePort", 1111);
  settings.Load();
  EXPECT_EQ(settings.values().share_port, 1111u);

  ASSERT_TRUE(store.edit(Hive::CurrentUser, [](platform::RegistryHive& hive) { hive.create_key(kPrimaryRoot); }));
  settings.Load();
  EXPECT_EQ(settings.values().share_port, 9910u);
  ASSERT_TRUE(settings.Save());
  EXPECT_EQ(store.read_dword(Hive::CurrentUser, std::string(kPrimaryRoot) + "\\Setting", "SharePort"), 9910u);
  EXPECT_EQ(store.read_dword(Hive::CurrentUser, kSetting, "SharePort"), 1111u) << "the other root is left alone";
}

TEST_F(SettingsTest, OverlongTextsAreNotStoredAndTheLogSaysSo) {
  test::FakeClock clock;
  clock.set_local_now({2026, 12, 10, 1, 2, 3});
  util::ConfigureLogFiles(home.path(), clock);
  settings.Load();
  settings.update([](StoredSettings& v) {
    v.intro_url = std::string(2049, 'u');
    v.server_subject = "kept";
  });
  ASSERT_TRUE(settings.Save());
  EXPECT_EQ(store.read_string(Hive::CurrentUser, kSetting, "IntroURL"), "") << "the stored value stays as it was";
  EXPECT_EQ(store.read_string(Hive::CurrentUser, kSetting, "ServerSubject"), "kept");

  std::string text = test::read_file(home / "Log/System/2026-12-10.txt");
  EXPECT_NE(text.find("IntroURL"), std::string::npos) << text;
  util::ConfigureLogFiles(home.path(), platform::system_clock());
}

class ShareCheckTest : public SettingsTest {
 protected:
  void SetUp() override {
    settings.Load();
    settings.server_usable = true;
    settings.update([this](StoredSettings& v) {
      v.down_path = folder("down");
      v.server_subject = "제목";
      v.shared_folders = {{"one", folder("one"), 1}, {"two", folder("two"), 1}};
    });
  }
  std::string failure(const std::function<void(StoredSettings&)>& change) {
    settings.update(change);
    util::SetLastErrorText("unchanged");
    return settings.check_share_settings() ? "" : util::LastErrorText();
  }
};

TEST_F(ShareCheckTest, FirstFailureWinsInOrder) {
  const std::string down = (home / "down").string();
  std::filesystem::create_symlink(home / "down", home / "link-to-down");
  const std::string korean_50_bytes = "가나다라마바사아자차카타파하가나다라마바사아자차카";  // 25 characters
  const struct {
    const char* what;
    std::function<void(StoredSettings&)> change;
    std::string message;
  } cases[] = {
      {"valid", [](StoredSettings&) {}, ""},
      {"no download folder", [](StoredSettings& v) { v.down_path = ""; }, "다운로드폴더가 없습니다."},
      {"missing download folder", [](StoredSettings& v) { v.down_path = "/nonexistent/down"; },
       "다운로드폴더(/nonexistent/down)가 존재하지 않습니다."},
      {"no title", [](StoredSettings& v) { v.server_subject = ""; }, "내서버제목이 없습니다."},
      {"only friend folders", [](StoredSettings& v) { v.shared_folders = {{"f", "/f", 8}, {"g", "/g", 8 | 1}}; },
       "친구전용폴더를 제외한 공유폴더는 1개이상이 지정이 되어야합니다."},
      {"same folder, other spelling", [down](StoredSettings& v) { v.shared_folders[1].path = down + "//"; },
       "2번째 공유폴더와 다운로드폴더가 같습니다. 공유폴더와 다운폴더는 틀려야 합니다."},
      {"same folder through a link", [this](StoredSettings& v) { v.shared_folders[0].path = (home / "link-to-down").string(); },
       "1번째 공유폴더와 다운로드폴더가 같습니다. 공유폴더와 다운폴더는 틀려야 합니다."},
      {"same folder before empty name", [down](StoredSettings& v) { v.shared_folders[0] = {"", down, 1}; },
       "1번째 공유폴더와 다운로드폴더가 같습니다. 공유폴더와 다운폴더는 틀려야 합니다."},
      {"empty name", [](StoredSettings& v) { v.shared_folders[1].name = ""; }, "2번째 공유이름이 없습니다."},
      {"empty folder", [](StoredSettings& v) { v.shared_folders[0].path = ""; }, "1번째 공유폴더가 없습니다."},
      {"earlier folder first", [](StoredSettings& v) { v.shared_folders = {{"", "/x", 1}, {"b", "", 1}}; }, "1번째 공유이름이 없습니다."},
      {"title of 50 bytes", [korean_50_bytes](StoredSettings& v) { v.server_subject = korean_50_bytes; }, ""},
      {"title of 51 bytes", [korean_50_bytes](StoredSettings& v) { v.server_subject = korean_50_bytes + "!"; },
       "내서버제목이 50바이트가 넘습니다."},
      {"title with no wire form", [](StoredSettings& v) { v.server_subject = "😀"; }, "내서버제목에 쓸 수 없는 글자가 있습니다."},
  };
  for (const auto& c : cases) {
    SetUp();
    EXPECT_EQ(failure(c.change), c.message) << c.what;
  }
}

TEST_F(ShareCheckTest, UnreachablePortSkipsTheServerChecks) {
  settings.server_usable = false;
  EXPECT_EQ(failure([](StoredSettings& v) {
              v.server_subject = "";
              v.shared_folders.clear();
            }),
            "");
  EXPECT_EQ(failure([](StoredSettings& v) { v.down_path = ""; }), "다운로드폴더가 없습니다.") << "the download folder is still checked";
}

}  // namespace
}  // namespace dovel::settings
