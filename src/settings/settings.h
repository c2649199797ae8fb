#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "settings/live_settings.h"
#include "settings/setting_table.h"
#include "settings/settings_registry.h"
#include "settings/shared_folder.h"
#include "settings/stored_settings.h"

namespace dovel::settings {

inline constexpr size_t kMaxServerSubjectBytes = 50;
inline constexpr std::string_view kDefaultShareName = "기본공유폴더";
inline constexpr uint32_t kDefaultShareFlags = settings::SHARE_READ | settings::SHARE_ADULT;

inline constexpr std::array<std::string_view, 5> kDefaultServerTitles = {
    "무한공유~~ 어서오세요.", "속도최강!!", "자료만땅~", "최신자료 모음~", "도벨짱~~"};

// The one settings object: the live settings, loaded from and saved to the
// settings key by the rows of the settings table.
class Settings : public LiveSettings {
 public:
  Settings(platform::RegistryStore& store, std::filesystem::path program_folder);

  // Reads every stored value with its default and range repair from one
  // consistent copy of the store; creates the default download and shared
  // folders when none are stored.
  void Load();
  // Writes every stored value and the whole shared-folder list in one atomic
  // replace: a crash leaves either the old or the new settings, never a mix.
  bool Save();
  // Changes one of the values loaded together and writes just that one, for a
  // window that keeps it too (the download list's UseMultiDown box).
  bool store(const FlagSetting& row, bool on);
  // The readiness check before the share server starts; on failure the message
  // is in the last-error text.
  bool check_share_settings();

  SettingsRegistry& registry() { return registry_; }
  // The data home: the databases and the log folders are below it.
  const std::filesystem::path& program_folder() const { return program_folder_; }

 private:
  SettingsRegistry registry_;
  std::filesystem::path program_folder_;
};

}  // namespace dovel::settings
