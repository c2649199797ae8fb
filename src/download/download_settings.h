#pragma once

#include <cstdint>

#include "platform/socket.h"
#include "settings/live_settings.h"

namespace dovel::download {

// The stored choices a download run reads, taken at one moment.
struct TransferChoices {
  bool use_multi_down = false;  // several sources for one file
  uint32_t share_port = 0;      // sent to the serving peer with every request
};

// What the downloads read and write of the settings, live: each run reads the
// choices as they stand when it starts.
class DownloadSettings {
 public:
  explicit DownloadSettings(settings::LiveSettings& settings) : settings_(settings) {}

  TransferChoices values() const {
    return settings_.read([](const settings::StoredSettings& stored) { return TransferChoices{stored.use_multi_down, stored.share_port}; });
  }
  // The address peers see this machine at, as the port check found it (0: not known).
  platform::Ipv4 external_address() const { return settings_.external_address; }
  // Bytes per second all downloads together may take.
  void set_download_speed_limit(uint32_t bytes_per_second) { settings_.download_speed_limit = bytes_per_second; }
  uint32_t download_speed_limit() const { return settings_.download_speed_limit; }

 private:
  settings::LiveSettings& settings_;
};

}  // namespace dovel::download
