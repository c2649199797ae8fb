#include "ui/app/desktop_settings.h"

#include <gtest/gtest.h>

#include "app/settings_registry.h"
#include "service/stored_login.h"
#include "support/temp_folder.h"

namespace dovel::ui {
namespace {

class DesktopSettingsTest : public ::testing::Test {
 protected:
  DesktopSettingsTest() : home{folder.path(), folder / "config"}, store(home.registry_folder()), registry(store) {
    platform::create_data_home(home);
  }

  dovel::test::TempFolder folder;
  platform::DataHome home;
  platform::RegistryStore store;
  app::SettingsRegistry registry;
};

TEST_F(DesktopSettingsTest, DefaultsBeforeAnythingIsStored) {
  DesktopSettings settings(home);
  EXPECT_EQ(settings.share_port(), 9910);
  EXPECT_EQ(settings.download_folder(), (folder.path() / "Download/").string());
  EXPECT_TRUE(settings.notify_window_on());
  EXPECT_FALSE(settings.auto_login());
}

TEST_F(DesktopSettingsTest, ReadsWhatTheSettingsSheetStoredAtOnce) {
  DesktopSettings settings(home);
  registry.write_dword(app::kSettingSection, "SharePort", 7000);
  registry.write_text(app::kSettingSection, "DownPath", "/srv/down/");
  registry.write_dword(app::kSettingSection, "UseNotifyWindow", 0);
  EXPECT_EQ(settings.share_port(), 7000);
  EXPECT_EQ(settings.download_folder(), "/srv/down/");
  EXPECT_FALSE(settings.notify_window_on());
}

TEST_F(DesktopSettingsTest, SharePortOutsideTheRangeGivesTheDefault) {
  DesktopSettings settings(home);
  for (uint32_t stored : {0u, 65536u, 4000000000u}) {
    registry.write_dword(app::kSettingSection, "SharePort", stored);
    EXPECT_EQ(settings.share_port(), 9910) << stored;
  }
}

TEST_F(DesktopSettingsTest, SwitchingAutomaticLoginOffForgetsThePassword) {
  registry.edit([](app::SettingsRegistry::Writer& writer) {
    service::set_auto_login(writer, true);
    service::keep_login(writer, "someone", "secret", true);
  });
  DesktopSettings settings(home);
  ASSERT_TRUE(settings.auto_login());
  ASSERT_NE(registry.read_text(app::kSettingSection, "data2"), "");
  settings.set_auto_login(false);
  EXPECT_FALSE(settings.auto_login());
  const service::StoredLogin login = service::read_stored_login(registry.reader());
  EXPECT_EQ(login.user_id, "someone");
  EXPECT_EQ(registry.read_text(app::kSettingSection, "data2"), "");
}

}  // namespace
}  // namespace dovel::ui
