#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/socket.h"
#include "settings/live_settings.h"
#include "settings/settings_registry.h"

namespace dovel::browse {

// The stored choices a browse session reads, taken at one moment.
struct BrowseChoices {
  uint32_t share_port = 0;  // this program's own, told to the server browsed
  std::string folder_pass;  // tried first on a password-protected share
};

// What remote browsing reads and writes of the settings: the live choices, and
// the browse window's own values, each read and written in the store at once.
class BrowseSettings {
 public:
  BrowseSettings(const settings::LiveSettings& settings, settings::SettingsRegistry& registry) : settings_(settings), registry_(registry) {}

  BrowseChoices values() const;
  // The address peers see this machine at, as the port check found it (0: not known).
  platform::Ipv4 external_address() const { return settings_.external_address; }

  bool intro_without_scripts() const;
  bool move_to_download_tab() const;
  void store_move_to_download_tab(bool move);
  // The explored IDs in their stored form.
  std::string address_history() const;
  bool store_address_history(std::string_view stored_text);

 private:
  const settings::LiveSettings& settings_;
  settings::SettingsRegistry& registry_;
};

}  // namespace dovel::browse
