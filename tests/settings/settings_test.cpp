#include "settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/profile_ini.h"
#include "platform/registry_store.h"
#include "settings/profile_values.h"
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

// The row of the settings key with this stored name.
RegistryRow row_named(std::string_view name) {
  for (const RegistryRow& row : kLoadedTogether) {
    if (name_of(row) == name) return row;
  }
  for (const RegistryRow& row : kWindowValues) {
    if (name_of(row) == name) return row;
  }
  ADD_FAILURE() << "no row " << name;
  return &kShowServer;
}

const ProfileSetting* profile_row_named(std::string_view name) {
  for (const ProfileSetting* row : kProfileValues) {
    if (row->name == name) return row;
  }
  ADD_FAILURE() << "no profile row " << name;
  return &kWindowZoomed;
}

// A number of the settings key as the table reads it, whatever the row's type.
int64_t read_number(const SettingsRegistry& registry, std::string_view name) {
  RegistryRow row = row_named(name);
  if (const FlagSetting* const* flag = std::get_if<const FlagSetting*>(&row)) return registry.read(**flag) ? 1 : 0;
  return registry.read(*std::get<const NumberSetting*>(row));
}

TEST(SettingsTable, BeforeTheStoreIsReadTheSettingsHoldTheInitialValues) {
  const LiveSettings settings;
  const StoredSettings v = settings.values();
  EXPECT_TRUE(v.allow_memo && v.auto_hash && v.auto_retry_stop_down && v.use_notify_window && v.show_server);
  EXPECT_FALSE(v.use_intro_url || v.use_multi_down || v.ultra_turbo || v.use_server_reserve || v.use_server_reserve_repeat);
  EXPECT_EQ(v.share_port, 9910u);
  EXPECT_EQ(v.max_upload, 3u);
  EXPECT_EQ(v.sel_limit_down_same_time, 1u);
  EXPECT_EQ(v.max_for_folder_down, 3u);
  EXPECT_EQ(v.server_reserve_start_time + v.server_reserve_end_time, 0u);
  EXPECT_TRUE(v.server_subject.empty() && v.intro_url.empty() && v.down_path.empty() && v.folder_pass.empty());
  EXPECT_TRUE(v.shared_folders.empty());
  EXPECT_FALSE(settings.server_usable);
  EXPECT_EQ(settings.upload_speed_limit, 1262485504u);
  EXPECT_EQ(settings.download_speed_limit, 1262485504u);
  EXPECT_EQ(settings.server_kind, 7);
}

// Every stored name, section and type is that of the data homes already written.
TEST(SettingsTable, KeepsTheStoredFormat) {
  std::vector<std::string> loaded;
  for (const RegistryRow& row : kLoadedTogether) loaded.emplace_back(name_of(row));
  EXPECT_EQ(loaded, (std::vector<std::string>{"ShowServer", "ServerSubject", "IntroURL", "DownPath", "SharePort", "MaxUpload", "UseIntroURL",
                                              "UseMultiDown", "AllowMemo", "UltraTurbo", "AutoHash", "AutoRetryStopDown",
                                              "SelLimitDownSameTime", "UseNotifyWindow", "UseServerReserve", "UseServerReserveRepeat",
                                              "ServerReserveStartTime", "ServerReserveEndTime", "FolderPass", "MaxForFolderDown"}));
  const struct {
    const char* name;
    const char* section;
    bool text;
  } window_values[] = {
      {"AutoTray", "Setting", false},          {"AutoLogin", "Setting", false},          {"data1", "Setting", true},
      {"data2", "Setting", true},              {"LimitDownloadSpeed", "Setting", false}, {"LimitUploadSpeed", "Setting", false},
      {"ExploreAutoMoveDownload", "Setting", false}, {"IntroNoScript", "Setting", false}, {"NoNewWindow", "Setting", false},
      {"UserList", "Setting", true},           {"AddressbarURLList", "Setting", true},   {"SendtoDelay", "Setting", false},
      {"AutoSort", "Setting", false},          {"SearchAutoMoveDownload", "Setting", false}, {"SearchFileExt", "Setting", true},
      {"SearchText", "Setting", true},         {"AutoFavoriteClose", "setting", false},  {"AutoStopReported", "Setting", false},
  };
  ASSERT_EQ(std::size(window_values), kWindowValues.size());
  for (size_t i = 0; i < kWindowValues.size(); ++i) {
    const RegistryRow& row = kWindowValues[i];
    EXPECT_EQ(name_of(row), window_values[i].name);
    EXPECT_EQ(std::visit([](const auto* setting) { return setting->section; }, row), window_values[i].section) << window_values[i].name;
    EXPECT_EQ(std::holds_alternative<const TextSetting*>(row), window_values[i].text) << window_values[i].name;
  }
  std::vector<std::string> profile;
  for (const ProfileSetting* row : kProfileValues) profile.push_back(std::string(row->section) + "/" + std::string(row->name));
  EXPECT_EQ(profile, (std::vector<std::string>{"dovel/zoomed", "dovel/left", "dovel/top", "dovel/width", "dovel/height",
                                               "dovel/remotelistautosort", "dovel/ConnectViewIntro", "dovel/cp_no_ask",
                                               "dovel/serverlistautosort3", "Setting/ServerSearchID"}));
}

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

  for (const RegistryRow& row : kLoadedTogether) {
    if (const FlagSetting* const* flag = std::get_if<const FlagSetting*>(&row)) {
      EXPECT_EQ(v.*(*flag)->member, (*flag)->on_load) << (*flag)->name;
    }
    if (const NumberSetting* const* number = std::get_if<const NumberSetting*>(&row)) {
      EXPECT_EQ(v.*(*number)->member, (*number)->on_load) << (*number)->name;
    }
  }
}

TEST_F(SettingsTest, WindowAndProfileValuesHaveTheirDefaultsWhenMissing) {
  const struct {
    const char* name;
    int64_t value;
  } numbers[] = {{"AutoTray", 0},    {"AutoLogin", 0},   {"LimitDownloadSpeed", 0},     {"LimitUploadSpeed", 0},
                 {"ExploreAutoMoveDownload", 1},       {"IntroNoScript", 1},          {"NoNewWindow", 1},
                 {"SendtoDelay", 4}, {"AutoSort", 4},    {"SearchAutoMoveDownload", 1}, {"AutoFavoriteClose", 1},
                 {"AutoStopReported", 0}};
  for (const auto& [name, value] : numbers) EXPECT_EQ(read_number(settings.registry(), name), value) << name;
  for (const char* name : {"data1", "data2", "UserList", "AddressbarURLList", "SearchFileExt", "SearchText"}) {
    EXPECT_EQ(settings.registry().read(*std::get<const TextSetting*>(row_named(name))), "") << name;
  }

  const platform::ProfileIni profile(home / "dovel.ini");
  const struct {
    const char* name;
    int value;
  } profile_values[] = {{"zoomed", 0},           {"left", -1},      {"top", -1},          {"width", 984},
                        {"height", 700},         {"remotelistautosort", 0},             {"ConnectViewIntro", 0},
                        {"cp_no_ask", 0},        {"serverlistautosort3", 3},            {"ServerSearchID", 1}};
  for (const auto& [name, value] : profile_values) EXPECT_EQ(read_profile(profile, *profile_row_named(name)), value) << name;
}

// A store whose every number lies outside its range, as a damaged or hand-edited one may.
TEST_F(SettingsTest, EveryValueOutOfRangeIsRepaired) {
  struct Case {
    const char* name;
    uint32_t stored;
    uint32_t repaired;
  };
  const Case above[] = {{"SharePort", 70000, 9910},           {"MaxUpload", 101, 10},        {"SelLimitDownSameTime", 4, 1},
                        {"ServerReserveStartTime", 24, 0},    {"ServerReserveEndTime", 24, 0}, {"MaxForFolderDown", 7, 3},
                        {"LimitDownloadSpeed", 10, 0},        {"LimitUploadSpeed", 6, 0},    {"SendtoDelay", 8, 4},
                        {"AutoSort", 5, 4}};
  const Case below[] = {{"SharePort", 0, 9910}, {"MaxUpload", 0, 10}};
  for (const auto& round : {std::vector<Case>(std::begin(above), std::end(above)), std::vector<Case>(std::begin(below), std::end(below))}) {
    for (const Case& c : round) ASSERT_TRUE(store.write_dword(Hive::CurrentUser, kSetting, c.name, c.stored));
    settings.Load();
    const StoredSettings v = settings.values();
    for (const Case& c : round) {
      const RegistryRow row = row_named(c.name);
      const NumberSetting& number = *std::get<const NumberSetting*>(row);
      const uint32_t loaded = number.member != nullptr ? v.*number.member : settings.registry().read(number);
      EXPECT_EQ(loaded, c.repaired) << c.name << " = " << c.stored;
    }
  }

  platform::ProfileIni profile(home / "dovel.ini");
  ASSERT_TRUE(profile.write_int("dovel", "remotelistautosort", 4));
  ASSERT_TRUE(profile.write_int("dovel", "serverlistautosort3", -1));
  EXPECT_EQ(read_profile(profile, kRemoteListSort), 0);
  EXPECT_EQ(read_profile(profile, kServerListSort), 3);
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
      {"SelLimitDownSameTime", 9, 1, &StoredSettings::sel_limit_down_same_time},
      {"SelLimitDownSameTime", 3, 3, &StoredSettings::sel_limit_down_same_time},
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

// A store written by an earlier version, value by value under its own name.
TEST_F(SettingsTest, EveryStoredNameLoadsIntoItsValue) {
  const std::string down = folder("down");
  const struct {
    const char* name;
    uint32_t number;
  } numbers[] = {{"ShowServer", 0},       {"SharePort", 1234},           {"MaxUpload", 7},         {"UseIntroURL", 1},
                 {"UseMultiDown", 0},     {"AllowMemo", 0},              {"UltraTurbo", 0},        {"AutoHash", 0},
                 {"AutoRetryStopDown", 1}, {"SelLimitDownSameTime", 2},  {"UseNotifyWindow", 0},   {"UseServerReserve", 1},
                 {"UseServerReserveRepeat", 1}, {"ServerReserveStartTime", 5}, {"ServerReserveEndTime", 6}, {"MaxForFolderDown", 5}};
  for (const auto& [name, number] : numbers) ASSERT_TRUE(store.write_dword(Hive::CurrentUser, kSetting, name, number));
  ASSERT_TRUE(store.write_string(Hive::CurrentUser, kSetting, "ServerSubject", "옛 서버"));
  ASSERT_TRUE(store.write_string(Hive::CurrentUser, kSetting, "IntroURL", "http://example.test/me"));
  ASSERT_TRUE(store.write_string(Hive::CurrentUser, kSetting, "DownPath", down));
  ASSERT_TRUE(store.write_string(Hive::CurrentUser, kSetting, "FolderPass", util::Encode("암호")));
  ASSERT_TRUE(store.write_string(Hive::CurrentUser, kFolderList, "0", "음악;/music;1"));
  settings.Load();

  StoredSettings expected;
  expected.shared_folders = {{"음악", "/music", 1}};
  expected.server_subject = "옛 서버";
  expected.intro_url = "http://example.test/me";
  expected.down_path = down;
  expected.folder_pass = "암호";
  expected.show_server = false;
  expected.share_port = 1234;
  expected.max_upload = 7;
  expected.use_intro_url = true;
  expected.use_multi_down = false;
  expected.allow_memo = false;
  expected.ultra_turbo = false;
  expected.auto_hash = false;
  expected.auto_retry_stop_down = true;
  expected.sel_limit_down_same_time = 2;
  expected.use_notify_window = false;
  expected.use_server_reserve = true;
  expected.use_server_reserve_repeat = true;
  expected.server_reserve_start_time = 5;
  expected.server_reserve_end_time = 6;
  expected.max_for_folder_down = 5;
  EXPECT_EQ(settings.values(), expected);
}

TEST_F(SettingsTest, StoringOneValueWritesJustThatValue) {
  settings.Load();
  ASSERT_TRUE(settings.update([](StoredSettings& v) { v.intro_url = "http://example.test/unsaved"; }));
  ASSERT_TRUE(settings.store(kUseMultiDown, false));
  EXPECT_FALSE(settings.values().use_multi_down);
  EXPECT_EQ(store.read_dword(Hive::CurrentUser, kSetting, "UseMultiDown"), 0u);
  EXPECT_EQ(store.read_string(Hive::CurrentUser, kSetting, "IntroURL"), "") << "the other values wait for Save";
}

TEST(ProfileValues, TheServerListSortIsWrittenUnderBothNames) {
  test::TempFolder home;
  platform::ProfileIni profile(home / "dovel.ini");
  ASSERT_TRUE(write_profile(profile, kServerListSort, 1));
  EXPECT_EQ(profile.read_int("dovel", "serverlistautosort3", 0), 1);
  EXPECT_EQ(profile.read_int("dovel", "serverlistautosort", 0), 1);
  EXPECT_EQ(read_profile(profile, kServerListSort), 1);
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
