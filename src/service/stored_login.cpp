#include "service/stored_login.h"

#include "settings/setting_table.h"

namespace dovel::service {

void keep_login(settings::SettingsRegistry::Writer& writer, std::string_view user_id, std::string_view password, bool auto_login) {
  writer.write(settings::kStoredUserId, user_id);
  writer.write(settings::kStoredPassword, auto_login ? password : "");
}

void set_auto_login(settings::SettingsRegistry::Writer& writer, bool on) {
  writer.write(settings::kAutoLogin, on);
  if (!on) writer.write(settings::kStoredPassword, "");
}

StoredLogin read_stored_login(const settings::SettingsRegistry::Reader& reader) {
  StoredLogin login;
  login.auto_login = reader.read(settings::kAutoLogin);
  login.user_id = reader.read(settings::kStoredUserId);
  if (login.auto_login) login.password = reader.read(settings::kStoredPassword);
  return login;
}

}  // namespace dovel::service
