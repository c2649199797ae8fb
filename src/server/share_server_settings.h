#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "settings/live_settings.h"
#include "settings/shared_folder.h"
#include "share/served_tree.h"

namespace dovel::server {

// The stored choices the share server answers with, taken at one moment.
struct ServedChoices {
  uint32_t share_port = 0;
  uint32_t max_upload = 0;
  uint32_t max_for_folder_down = 0;  // the row of the folder-download limit
  bool allow_memo = false;
  bool ultra_turbo = false;
  bool use_intro_url = false;
  std::string intro_url;
  std::string folder_pass;
  std::string down_path;  // its partial downloads are never listed
};

// What the share server reads and writes of the settings: the share server,
// the search responder, the upload monitor and the start-up port check. Every
// read is live, so a change on the settings pages applies to the next request.
class ShareServerSettings {
 public:
  explicit ShareServerSettings(settings::LiveSettings& settings) : settings_(settings) {}

  ServedChoices values() const;
  std::vector<settings::SharedFolder> shared_folders() const;
  // What of the disk the shares offer now: the list and the download folder's partial downloads.
  share::ServedTree served_tree() const;
  // The address peers see this machine at, as the port check found it (0: not known).
  platform::Ipv4 external_address() const { return settings_.external_address; }
  // Bytes per second all uploads together may take.
  uint32_t upload_speed_limit() const { return settings_.upload_speed_limit; }
  void set_upload_speed_limit(uint32_t bytes_per_second) { settings_.upload_speed_limit = bytes_per_second; }
  // What the start-up port check found.
  bool server_usable() const { return settings_.server_usable; }
  void set_server_usable(bool usable) { settings_.server_usable = usable; }
  void set_external_address(platform::Ipv4 address) { settings_.external_address = address; }

 private:
  settings::LiveSettings& settings_;
};

}  // namespace dovel::server
