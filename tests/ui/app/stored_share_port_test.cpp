#include "ui/app/stored_share_port.h"

#include <gtest/gtest.h>

#include "platform/registry_store.h"
#include "settings/setting_table.h"
#include "settings/settings_registry.h"
#include "support/temp_folder.h"

namespace dovel::ui {
namespace {

class StoredSharePortTest : public ::testing::Test {
 protected:
  StoredSharePortTest() : home{folder.path(), folder / "config"}, store(home.registry_folder()), registry(store) {
    platform::create_data_home(home);
  }

  dovel::test::TempFolder folder;
  platform::DataHome home;
  platform::RegistryStore store;
  settings::SettingsRegistry registry;
};

TEST_F(StoredSharePortTest, DefaultBeforeAnythingIsStored) { EXPECT_EQ(stored_share_port(home), 9910); }

TEST_F(StoredSharePortTest, ReadsTheStoredPort) {
  registry.write(settings::kSharePort, 7000);
  EXPECT_EQ(stored_share_port(home), 7000);
}

TEST_F(StoredSharePortTest, PortOutsideTheRangeGivesTheDefault) {
  for (uint32_t stored : {0u, 65536u, 4000000000u}) {
    registry.write(settings::kSharePort, stored);
    EXPECT_EQ(stored_share_port(home), 9910) << stored;
  }
}

}  // namespace
}  // namespace dovel::ui
