#include "ui/settings/prop_other.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

#include "settings_page_fixture.h"

namespace dovel::ui {
namespace {

class PropOtherTest : public test::SettingsPageTest {
 protected:
  PropOtherTest() {
    hooks.autostart_entry = home / "xdg" / "autostart" / "dovel.desktop";
    hooks.executable = "/opt/dovel app/dovel";
  }
  std::unique_ptr<CPropOther> open_page() { return std::make_unique<CPropOther>(settings, messages, hooks); }
};

TEST_F(PropOtherTest, EqualReservationHoursSwitchTheReservationOffAndTheRestIsStored) {
  auto page = open_page();
  page->server_reserve_box()->setChecked(true);
  page->reserve_start_list()->setCurrentIndex(9);
  page->reserve_end_list()->setCurrentIndex(9);
  page->auto_hash_box()->setChecked(false);
  EXPECT_TRUE(page->apply());
  EXPECT_EQ(messages.informed,
            QStringList{QStringLiteral("예약설정 에러: 시작시간과 종료시간이 같으면 안됩니다.\r\n\r\n예약기능을 취소합니다.")});
  EXPECT_FALSE(page->server_reserve_box()->isChecked());
  settings::Settings reloaded(store, home.path());
  reloaded.Load();
  EXPECT_FALSE(reloaded.values().use_server_reserve);
  EXPECT_FALSE(reloaded.values().auto_hash) << "the other choices are saved all the same";
  EXPECT_EQ(reloaded.values().server_reserve_start_time, 9u);
}

TEST_F(PropOtherTest, DifferentReservationHoursAreStored) {
  auto page = open_page();
  page->server_reserve_box()->setChecked(true);
  page->reserve_start_list()->setCurrentIndex(1);
  page->reserve_end_list()->setCurrentIndex(23);
  page->server_reserve_repeat_box()->setChecked(true);
  EXPECT_TRUE(page->apply());
  EXPECT_TRUE(messages.informed.isEmpty());
  settings::StoredSettings v = settings.values();
  EXPECT_TRUE(v.use_server_reserve && v.use_server_reserve_repeat);
  EXPECT_EQ(v.server_reserve_start_time, 1u);
  EXPECT_EQ(v.server_reserve_end_time, 23u);
  EXPECT_EQ(page->reserve_end_list()->currentText(), QStringLiteral("23:00"));
}

TEST_F(PropOtherTest, TheHourListsFollowTheReservationBox) {
  auto page = open_page();
  EXPECT_FALSE(page->reserve_start_list()->isEnabled());
  page->server_reserve_box()->setChecked(true);
  EXPECT_TRUE(page->reserve_start_list()->isEnabled());
  EXPECT_TRUE(page->reserve_end_list()->isEnabled());
}

TEST_F(PropOtherTest, TheAutostartBoxWritesAndRemovesTheDesktopEntry) {
  auto page = open_page();
  EXPECT_FALSE(page->autostart_box()->isChecked()) << "always shown unticked";
  page->autostart_box()->setChecked(true);
  ASSERT_TRUE(page->apply());
  const std::string entry = dovel::test::read_file(hooks.autostart_entry);
  EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
  EXPECT_NE(entry.find("Exec=\"/opt/dovel app/dovel\"\n"), std::string::npos) << entry;

  page->autostart_box()->setChecked(false);
  ASSERT_TRUE(page->apply());
  EXPECT_FALSE(std::filesystem::exists(hooks.autostart_entry));
  EXPECT_TRUE(messages.informed.isEmpty());
}

TEST_F(PropOtherTest, AnOutOfRangeDownloadChoiceShowsRowOne) {
  settings.update([](settings::StoredSettings& v) {
    v.sel_limit_down_same_time = 9;
    v.max_for_folder_down = 6;
  });
  auto page = open_page();
  EXPECT_EQ(page->downloads_list()->currentIndex(), 1);
  EXPECT_EQ(page->downloads_list()->count(), 4);
  EXPECT_EQ(page->folder_down_list()->currentText(), QStringLiteral("2000개"));
}

TEST_F(PropOtherTest, AChangedUltraTurboIsSentAndTheMainWindowFollows) {
  std::vector<bool> sent, followed;
  hooks.send_ultra_turbo = [&](bool on) { sent.push_back(on); };
  hooks.ultra_turbo_changed = [&](bool on) { followed.push_back(on); };
  auto page = open_page();
  const bool before = settings.values().ultra_turbo;
  ASSERT_TRUE(page->apply());
  EXPECT_TRUE(sent.empty()) << "nothing changed";
  page->ultra_turbo_box()->setChecked(!before);
  ASSERT_TRUE(page->apply());
  EXPECT_EQ(sent, std::vector<bool>{!before});
  EXPECT_EQ(followed, std::vector<bool>{!before});
  EXPECT_EQ(settings.values().ultra_turbo, !before);
}

}  // namespace
}  // namespace dovel::ui
