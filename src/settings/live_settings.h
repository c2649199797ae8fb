#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/socket.h"
#include "settings/shared_folder.h"
#include "settings/stored_settings.h"

namespace dovel::settings {

// The speed limit that means "no limit" (bytes per second).
inline constexpr uint32_t kUnlimitedSpeed = 1262485504;

// The settings as the running program holds them: the stored choices under the
// settings lock, and the run-time values other threads read without it. They
// start with the table's initial values; the subsystems read them through
// views of their own, so that a change applies to whatever they do next.
class LiveSettings {
 public:
  // The settings lock, for callers that must read several values at one moment.
  std::recursive_mutex& settings_lock() const { return lock_; }
  StoredSettings values() const;
  // Runs `read` on the stored values under the settings lock and returns what it returns.
  template <typename Read>
  auto read(Read&& read) const {
    std::lock_guard guard(lock_);
    return std::forward<Read>(read)(std::as_const(values_));
  }
  // Applies a change to the stored values. Refused (false, nothing changed) when a
  // share name or folder would hold ';', which the stored list cannot keep.
  bool update(const std::function<void(StoredSettings&)>& change);
  std::vector<settings::SharedFolder> shared_folders() const;
  bool set_shared_folders(std::vector<settings::SharedFolder> folders);

  // Run-time values, not stored.
  std::atomic<bool> server_usable{false};
  std::atomic<platform::Ipv4> external_address{0};
  std::atomic<uint32_t> upload_speed_limit{kUnlimitedSpeed};
  std::atomic<uint32_t> download_speed_limit{kUnlimitedSpeed};
  // Sent with the server registration; 7 until the first load, then 0.
  std::atomic<int> server_kind{7};

 protected:
  mutable std::recursive_mutex lock_;
  StoredSettings values_;
};

// A share name or folder that the stored "name;folder;flags" list can keep.
bool storable_in_folder_list(const settings::SharedFolder& folder);

}  // namespace dovel::settings
