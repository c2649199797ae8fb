#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "download/download_manager.h"
#include "platform/socket.h"

namespace dovel::ui {

// What the download window and the transfers view read and do. Items are named
// by their FileHash. A command without a handler is shown disabled.
struct DownloadCommands {
  // The download list in queue order (the manager's snapshot).
  std::function<std::vector<download::ListRow>()> rows;
  // Waiting or stopped items wait again (the caller makes the login and connect-worker checks).
  std::function<void(const std::vector<std::string>& hashes)> resume;
  // Stops the items; the core refuses those that prepare.
  std::function<void(const std::vector<std::string>& hashes)> stop;
  // Deletes stopped and finished items; the core refuses the others.
  std::function<void(const std::vector<std::string>& hashes)> remove;
  // Removes every finished item from the list.
  std::function<void()> remove_finished;
  // Moves the items one row up (true) or down as a block.
  std::function<void(const std::vector<std::string>& hashes, bool up)> move;
  // The item's "dovel://file/..." link (the manager's copy_link).
  std::function<std::optional<std::string>(const std::string& hash)> copy_link;
  // Opens a local file or folder with the desktop (OpenLocalPath).
  std::function<bool(const std::string& path)> open_path;
  // The service's file-information page for the file.
  std::function<void(const std::string& hash, const std::string& file_name, int64_t size)> open_file_info;
  // Explores a user's server, with the transfers view (4) as the origin.
  std::function<void(const std::string& user_id)> explore_user;
  // Explores the server at an address, with the transfers view (4) as the origin.
  std::function<void(platform::Ipv4 address, uint16_t port)> explore_address;
  // Opens a chat with the user.
  std::function<void(const std::string& user_id)> chat;
  // The session's privilege_a or privilege_b: the file column is 60 pixels narrower.
  std::function<bool()> privileged;
  // The session's transfer_flag: the paid columns show "--".
  std::function<bool()> transfer_flag;
  // A file name as shown, the listed words masked; names are shown as they are without it.
  std::function<std::string(const std::string& file_name)> masked_name;
  // The row of the download-speed limit box, stored as "LimitDownloadSpeed".
  std::function<uint32_t()> speed_limit_row;
  std::function<void(uint32_t row)> store_speed_limit_row;
  // Hands the limit of the selected row (bytes per second) to the download throttle.
  std::function<void(uint32_t bytes_per_second)> apply_download_limit;
  // "UseMultiDown": several connections per download.
  std::function<bool()> use_multi_down;
  std::function<void(bool on)> set_use_multi_down;
  // "AutoStopReported": files with false-file reports stop by themselves.
  std::function<bool()> auto_stop_reported;
  std::function<void(bool on)> set_auto_stop_reported;
  // The settings' download folder.
  std::function<std::string()> download_folder;
  // The program folder; its "Log" folder holds the daily logs.
  std::function<std::string()> program_folder;
  // Deletes the files of the log folders (clear_log_folders).
  std::function<void()> clear_logs;
};

}  // namespace dovel::ui
