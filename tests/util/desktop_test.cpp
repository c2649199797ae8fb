// The desktop integration: the dovel:// handler entry and the power-off command.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <thread>

#include "platform/ini_text.h"
#include "support/eventually.h"
#include "support/temp_folder.h"
#include "util/shutdown_computer.h"
#include "util/url_protocol.h"

namespace dovel::util {
namespace {

TEST(UrlProtocol, RegistersTheSchemeHandlerAndKeepsOtherAssociations) {
  test::TempFolder folder;
  DesktopIntegrationPaths paths{folder / "share/applications", folder / "config/mimeapps.list"};
  folder.write("config/mimeapps.list", "[Default Applications]\ntext/html=browser.desktop\n\n[Added Associations]\nimage/png=viewer.desktop\n");

  ASSERT_TRUE(RegisterUrlProtocol(paths, "/opt/dovel dir/bin/dovel"));
  std::string entry = test::read_file(paths.applications_folder / "dovel.desktop");
  EXPECT_NE(entry.find("Exec=\"/opt/dovel dir/bin/dovel\" %u\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("MimeType=x-scheme-handler/dovel;\n"), std::string::npos) << entry;

  std::string associations = test::read_file(paths.mimeapps_list);
  EXPECT_EQ(platform::find_ini_entry(associations, "Default Applications", "x-scheme-handler/dovel"), "dovel.desktop");
  EXPECT_EQ(platform::find_ini_entry(associations, "Default Applications", "text/html"), "browser.desktop");
  EXPECT_EQ(platform::find_ini_entry(associations, "Added Associations", "image/png"), "viewer.desktop");

  ASSERT_TRUE(RegisterUrlProtocol(paths, "/usr/bin/dovel")) << "registering again replaces the entry";
  EXPECT_NE(test::read_file(paths.applications_folder / "dovel.desktop").find("Exec=\"/usr/bin/dovel\" %u"), std::string::npos);
}

TEST(UrlProtocol, ExecQuotingEscapesWhatTheDesktopWouldInterpret) {
  const struct {
    const char* program;
    const char* quoted;
  } cases[] = {{"/a b/c", "\"/a b/c\""},
               {"/a\"b", "\"/a\\\\\"b\""},
               {"/$HOME/`x`", "\"/\\\\$HOME/\\\\`x\\\\`\""},
               {"/a\\b", "\"/a\\\\\\\\b\""},
               {"/100%", "\"/100%%\""}};
  for (const auto& [program, quoted] : cases) EXPECT_EQ(DesktopExecQuote(program), quoted) << program;
}

TEST(ShutdownComputer, RunsTheConfiguredCommandWithoutAShell) {
  test::TempFolder folder;
  std::filesystem::path marker = folder / "powered-off";
  ::setenv("DOVEL_POWEROFF_COMMAND", ("touch " + marker.string()).c_str(), 1);
  EXPECT_EQ(PowerOffCommand(), (std::vector<std::string>{"touch", marker.string()}));
  ASSERT_TRUE(ShutdownComputer());
  EXPECT_TRUE(test::eventually([&] { return std::filesystem::exists(marker); }));

  ::unsetenv("DOVEL_POWEROFF_COMMAND");
  EXPECT_EQ(PowerOffCommand(), (std::vector<std::string>{"systemctl", "poweroff"}));
  EXPECT_FALSE(ShutdownComputer({"/nonexistent/poweroff"}));
}

}  // namespace
}  // namespace dovel::util
