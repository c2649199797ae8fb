#include "ui/settings/autostart_entry.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace dovel::ui {
namespace {

TEST(AutostartEntry, WritesAnEntryThatStartsTheProgramAndRemovesIt) {
  dovel::test::TempFolder temp;
  const auto entry = temp / "config" / "autostart" / "dovel.desktop";
  ASSERT_TRUE(write_autostart_entry(entry, "/usr/bin/dovel"));
  const std::string text = dovel::test::read_file(entry);
  EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
  EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
  EXPECT_NE(text.find("\nExec=\"/usr/bin/dovel\"\n"), std::string::npos);
  ASSERT_TRUE(remove_autostart_entry(entry));
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_TRUE(remove_autostart_entry(entry)) << "a missing entry is no failure";
}

TEST(AutostartEntry, AProgramPathWithALineBreakIsRefused) {
  dovel::test::TempFolder temp;
  const auto entry = temp / "autostart" / "dovel.desktop";
  EXPECT_FALSE(write_autostart_entry(entry, "/tmp/x\nExec=/bin/evil"));
  EXPECT_FALSE(write_autostart_entry(entry, ""));
  EXPECT_FALSE(std::filesystem::exists(entry));
}

TEST(AutostartEntry, TheEntryLivesInTheUsersAutostartFolder) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string restore = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", "/home/someone/.cfg", 1);
  EXPECT_EQ(autostart_entry_from_environment(), std::filesystem::path("/home/someone/.cfg/autostart/dovel.desktop"));
  if (saved) {
    ::setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace dovel::ui
