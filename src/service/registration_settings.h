#pragma once

#include <cstdint>
#include <string>

#include "settings/live_settings.h"

namespace dovel::service {

// The stored choices the server registration sends, taken at one moment.
struct RegistrationChoices {
  std::string server_subject;
  bool show_server = false;
  bool ultra_turbo = false;
  uint32_t share_port = 0;
};

// What the server registration reads of the settings, live: every record is
// built from the choices as they stand.
class RegistrationSettings {
 public:
  explicit RegistrationSettings(const settings::LiveSettings& settings) : settings_(settings) {}

  RegistrationChoices values() const {
    return settings_.read([](const settings::StoredSettings& stored) {
      return RegistrationChoices{stored.server_subject, stored.show_server, stored.ultra_turbo, stored.share_port};
    });
  }

 private:
  const settings::LiveSettings& settings_;
};

}  // namespace dovel::service
