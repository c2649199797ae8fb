#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"
#include "settings/settings_registry.h"
#include "settings/shared_folder.h"

namespace dovel::settings {

// The speed limit that means "no limit" (bytes per second).
inline constexpr uint32_t kUnlimitedSpeed = 1262485504;
inline constexpr uint32_t kDefaultSharePort = 9910;
inline constexpr size_t kMaxServerSubjectBytes = 50;
inline constexpr std::string_view kDefaultShareName = "기본공유폴더";
inline constexpr uint32_t kDefaultShareFlags = settings::SHARE_READ | settings::SHARE_ADULT;

inline constexpr std::array<std::string_view, 5> kDefaultServerTitles = {
    "무한공유~~ 어서오세요.", "속도최강!!", "자료만땅~", "최신자료 모음~", "도벨짱~~"};

// The user's stored choices. Texts are UTF-8; folder paths are local paths.
struct StoredSettings {
  std::vector<settings::SharedFolder> shared_folders;
  std::string server_subject;
  std::string intro_url;
  std::string down_path;
  std::string folder_pass;  // plain text in memory, encoded in the store
  bool use_intro_url = false;
  bool use_multi_down = false;
  bool ultra_turbo = false;
  bool allow_memo = true;
  bool auto_hash = true;
  bool auto_retry_stop_down = true;
  bool use_notify_window = true;
  bool use_server_reserve = false;
  bool use_server_reserve_repeat = false;
  bool show_server = true;
  uint32_t share_port = kDefaultSharePort;
  uint32_t max_upload = 3;
  uint32_t sel_limit_down_same_time = 1;
  uint32_t server_reserve_start_time = 0;
  uint32_t server_reserve_end_time = 0;
  uint32_t max_for_folder_down = 3;

  bool operator==(const StoredSettings&) const = default;
};

// The one settings object: stored choices under the settings lock, and the
// run-time values other threads read without it.
class Settings {
 public:
  Settings(platform::RegistryStore& store, std::filesystem::path program_folder);

  // Reads every stored value with its default and range repair; creates the
  // default download and shared folders when none are stored.
  void Load();
  // Writes every stored value and the whole shared-folder list in one atomic
  // replace: a crash leaves either the old or the new settings, never a mix.
  bool Save();
  // The readiness check before the share server starts; on failure the message
  // is in the last-error text.
  bool check_share_settings();

  // The settings lock, for callers that must read several values at one moment.
  std::recursive_mutex& settings_lock() const { return lock_; }
  StoredSettings values() const;
  // Applies a change to the stored values. Refused (false, nothing changed) when a
  // share name or folder would hold ';', which the stored list cannot keep.
  bool update(const std::function<void(StoredSettings&)>& change);
  std::vector<settings::SharedFolder> shared_folders() const;
  bool set_shared_folders(std::vector<settings::SharedFolder> folders);

  SettingsRegistry& registry() { return registry_; }
  // The data home: the databases and the log folders are below it.
  const std::filesystem::path& program_folder() const { return program_folder_; }

  // Run-time values, not stored.
  std::atomic<bool> server_usable{false};
  std::atomic<platform::Ipv4> external_address{0};
  std::atomic<uint32_t> upload_speed_limit{kUnlimitedSpeed};
  std::atomic<uint32_t> download_speed_limit{kUnlimitedSpeed};
  // Sent with the server registration; 7 until the first load, then 0.
  std::atomic<int> server_kind{7};

 private:
  SettingsRegistry registry_;
  std::filesystem::path program_folder_;
  mutable std::recursive_mutex lock_;
  StoredSettings values_;
};

// A share name or folder that the stored "name;folder;flags" list can keep.
bool storable_in_folder_list(const settings::SharedFolder& folder);

}  // namespace dovel::settings
