#pragma once

#include <string>
#include <string_view>

#include "settings/settings_registry.h"

namespace dovel::service {

// The login the client keeps in the settings: the last ID ("data1") and, only
// while automatic login is on ("AutoLogin"), the password ("data2"), both in the
// letter-pair encoding.
struct StoredLogin {
  std::string user_id;
  std::string password;  // "" unless automatic login is on
  bool auto_login = false;
};

// Keeps the ID of a login, and its password only with automatic login (else "").
void keep_login(settings::SettingsRegistry::Writer& writer, std::string_view user_id, std::string_view password, bool auto_login);

// Switches automatic login; switching it off forgets the stored password.
void set_auto_login(settings::SettingsRegistry::Writer& writer, bool on);

// What the login window fills in when it opens.
StoredLogin read_stored_login(const settings::SettingsRegistry::Reader& reader);

}  // namespace dovel::service
