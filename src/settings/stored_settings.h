#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/shared_folder.h"

namespace dovel::settings {

// The user's stored choices. Texts are UTF-8; folder paths are local paths.
// Each member is a row of the settings table, which gives its stored name, its
// initial value, its default on load and its range.
struct StoredSettings {
  // The table's initial values: what the program holds before the store is read.
  StoredSettings();

  std::vector<settings::SharedFolder> shared_folders;
  std::string server_subject;
  std::string intro_url;
  std::string down_path;
  std::string folder_pass;  // plain text in memory, encoded in the store
  bool use_intro_url{};
  bool use_multi_down{};
  bool ultra_turbo{};
  bool allow_memo{};
  bool auto_hash{};
  bool auto_retry_stop_down{};
  bool use_notify_window{};
  bool use_server_reserve{};
  bool use_server_reserve_repeat{};
  bool show_server{};
  uint32_t share_port{};
  uint32_t max_upload{};
  uint32_t sel_limit_down_same_time{};
  uint32_t server_reserve_start_time{};
  uint32_t server_reserve_end_time{};
  uint32_t max_for_folder_down{};

  bool operator==(const StoredSettings&) const = default;
};

}  // namespace dovel::settings
