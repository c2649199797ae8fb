#include "platform/data_home.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "support/temp_folder.h"

namespace dovel::platform {
namespace {

namespace fs = std::filesystem;

struct Case {
  const char* what;
  std::optional<std::string> option;
  std::map<std::string, std::string> environment;
  std::optional<std::pair<std::string, std::string>> expected;  // root, config
};

TEST(DataHome, ResolveFromOptionAndEnvironment) {
  const std::map<std::string, std::string> everything = {
      {"DOVEL_HOME", "/dovel-home"}, {"XDG_DATA_HOME", "/xdg-data"}, {"XDG_CONFIG_HOME", "/xdg-config"}, {"HOME", "/home/u"}};
  const Case cases[] = {
      {"option wins", "/opt-home", everything, {{"/opt-home", "/opt-home/config"}}},
      {"option is normalised", "/a/b/../c", everything, {{"/a/c", "/a/c/config"}}},
      {"empty option is no option", "", everything, {{"/dovel-home", "/dovel-home/config"}}},
      {"DOVEL_HOME over XDG", std::nullopt, everything, {{"/dovel-home", "/dovel-home/config"}}},
      {"empty DOVEL_HOME is unset", std::nullopt,
       {{"DOVEL_HOME", ""}, {"XDG_DATA_HOME", "/xdg-data"}, {"XDG_CONFIG_HOME", "/xdg-config"}},
       {{"/xdg-data/dovel", "/xdg-config/dovel"}}},
      {"both XDG folders", std::nullopt,
       {{"XDG_DATA_HOME", "/xdg-data"}, {"XDG_CONFIG_HOME", "/xdg-config"}, {"HOME", "/home/u"}},
       {{"/xdg-data/dovel", "/xdg-config/dovel"}}},
      {"XDG data, default config", std::nullopt, {{"XDG_DATA_HOME", "/xdg-data"}, {"HOME", "/home/u"}},
       {{"/xdg-data/dovel", "/home/u/.config/dovel"}}},
      {"XDG config, default data", std::nullopt, {{"XDG_CONFIG_HOME", "/xdg-config"}, {"HOME", "/home/u"}},
       {{"/home/u/.local/share/dovel", "/xdg-config/dovel"}}},
      {"HOME only", std::nullopt, {{"HOME", "/home/u"}}, {{"/home/u/.local/share/dovel", "/home/u/.config/dovel"}}},
      {"empty XDG falls back to HOME", std::nullopt, {{"XDG_DATA_HOME", ""}, {"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u"}},
       {{"/home/u/.local/share/dovel", "/home/u/.config/dovel"}}},
      {"relative XDG folders count as unset", std::nullopt,
       {{"XDG_DATA_HOME", "rel/data"}, {"XDG_CONFIG_HOME", "rel/config"}, {"HOME", "/home/u"}},
       {{"/home/u/.local/share/dovel", "/home/u/.config/dovel"}}},
      {"XDG data without HOME has no config folder", std::nullopt, {{"XDG_DATA_HOME", "/xdg-data"}}, std::nullopt},
      {"empty HOME", std::nullopt, {{"HOME", ""}}, std::nullopt},
      {"nothing set", std::nullopt, {}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto lookup = [&](const char* name) -> const char* {
      auto found = c.environment.find(name);
      return found == c.environment.end() ? nullptr : found->second.c_str();
    };
    std::optional<DataHome> home = resolve_data_home(c.option, lookup);
    ASSERT_EQ(home.has_value(), c.expected.has_value());
    if (!home) continue;
    EXPECT_EQ(home->root, fs::path(c.expected->first));
    EXPECT_EQ(home->config, fs::path(c.expected->second));
  }
}

TEST(DataHome, RelativeOptionBecomesAbsolute) {
  auto home = resolve_data_home(std::string("relative/home"), [](const char*) -> const char* { return nullptr; });
  ASSERT_TRUE(home);
  EXPECT_TRUE(home->root.is_absolute());
  EXPECT_EQ(home->root, fs::current_path() / "relative" / "home");
  EXPECT_EQ(home->registry_folder(), home->root / "config");
  EXPECT_EQ(home->profile_file().parent_path(), home->registry_folder());
}

TEST(DataHome, CreateMakesBothFoldersOrFails) {
  test::TempFolder temp;
  DataHome home{temp / "data" / "dovel", temp / "conf" / "dovel"};
  ASSERT_TRUE(create_data_home(home));
  EXPECT_TRUE(fs::is_directory(home.root));
  EXPECT_TRUE(fs::is_directory(home.config));
  EXPECT_TRUE(create_data_home(home)) << "existing folders are fine";

  const auto file = temp.write("file", "x");
  EXPECT_FALSE(create_data_home({file / "root", temp / "ok"}));
  EXPECT_FALSE(create_data_home({temp / "ok", file / "config"}));
}

}  // namespace
}  // namespace dovel::platform
