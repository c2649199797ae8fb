// Both start-up checks against the stand-in's web host, in-process on an
// address of its own, with the real HTTP fetch.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/service_status.h"
#include "app/update_check.h"
#include "app/update_step.h"
#include "central/central_service.h"
#include "fake_update_host.h"
#include "support/eventually.h"
#include "settings/service_switches.h"
#include "support/loopback_address.h"
#include "support/temp_folder.h"

namespace dovel::app {
namespace {

namespace fs = std::filesystem;

class StartupChecksAgainstCentralTest : public ::testing::Test {
 protected:
  void SetUp() override {
    central::CentralConfig config;
    config.home = home.path();
    config.service = service::ServiceConfig::defaults();
    config.service.host_a = config.service.host_b = dovel::test::unique_loopback_address();
    config.service.web_base = "http://" + platform::format_ipv4(config.service.host_a) + ":11080";
    central = std::make_unique<central::CentralService>(config);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
  }

  UpdateHost update_host() const { return WebUpdateHost(central->config().service.web_base); }

  dovel::test::TempFolder home;
  dovel::test::TempFolder program_folder;
  std::unique_ptr<central::CentralService> central;
};

TEST_F(StartupChecksAgainstCentralTest, TheStatusFileAsSwitchedOnTheService) {
  ServiceStatus open = CheckServiceStatus(update_host());
  EXPECT_FALSE(open.closed_for_maintenance);
  EXPECT_FALSE(settings::ServiceSwitches::magic());
  EXPECT_FALSE(settings::ServiceSwitches::psub());

  central->startup_documents().set_status({"1", "서버 교체 \"긴급\"\r\n두 번째 줄", "오후 3시 & 이후", "true", "0"});
  ServiceStatus closed = CheckServiceStatus(update_host());
  EXPECT_TRUE(closed.closed_for_maintenance);
  EXPECT_EQ(closed.notice,
            "서비스 점검중입니다.\r\n\r\n<<내용>>\r\n\r\n서버 교체 \"긴급\"\r\n두 번째 줄\r\n\r\n<<일시>>\r\n\r\n오후 3시 & 이후");
  EXPECT_TRUE(settings::ServiceSwitches::magic());
  EXPECT_FALSE(settings::ServiceSwitches::psub());
}

TEST_F(StartupChecksAgainstCentralTest, TheUpdateListAsSwitchedOnTheService) {
  program_folder.write("Dovel.bin", "program");
  program_folder.write("skin/main.png", "png");
  program_folder.write("update.xml", test::euc_kr_document("<update><file name=\"Dovel.bin\" version=\"1.2.10\"/>"
                                                           "<file name=\"skin/main.png\" version=\"3\"/></update>"));
  EXPECT_FALSE(CheckForUpdate(update_host(), program_folder.path())) << "the stand-in lists nothing at first";

  central->startup_documents().put_update_file({"Dovel.bin", "1.2.3", ""});
  central->startup_documents().put_update_file({"skin/main.png", "3", "false"});
  EXPECT_FALSE(CheckForUpdate(update_host(), program_folder.path()));

  central->startup_documents().put_update_file({"skin/main.png", "4", "false"});
  EXPECT_TRUE(CheckForUpdate(update_host(), program_folder.path()));

  dovel::test::TempFolder tools;
  const fs::path updater = tools.write("dovel-updater", "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + (tools / "record.tmp").string() + "' && mv '" +
                                                            (tools / "record.tmp").string() + "' '" + (tools / "record").string() + "'\n");
  fs::permissions(updater, fs::perms::owner_all, fs::perm_options::add);
  EXPECT_EQ(RunUpdateStep(update_host(), program_folder.path(), {updater, "/opt/dovel/bin/dovel"}), UpdateStepOutcome::UpdaterStarted);
  ASSERT_TRUE(dovel::test::eventually([&] { return fs::exists(tools / "record"); }));
  EXPECT_EQ(dovel::test::read_file(tools / "record"), central->config().service.web_base + "/dovel/update\n");
}

}  // namespace
}  // namespace dovel::app
