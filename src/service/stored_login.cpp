#include "service/stored_login.h"

#include "util/letter_pair.h"

namespace dovel::service {
namespace {

constexpr std::string_view kAutoLoginValue = "AutoLogin";
constexpr std::string_view kUserIdValue = "data1";
constexpr std::string_view kPasswordValue = "data2";

}  // namespace

void keep_login(settings::SettingsRegistry::Writer& writer, std::string_view user_id, std::string_view password, bool auto_login) {
  writer.write_text(settings::kSettingSection, kUserIdValue, util::Encode(user_id));
  writer.write_text(settings::kSettingSection, kPasswordValue, auto_login ? util::Encode(password) : "");
}

void set_auto_login(settings::SettingsRegistry::Writer& writer, bool on) {
  writer.write_dword(settings::kSettingSection, kAutoLoginValue, on ? 1 : 0);
  if (!on) writer.write_text(settings::kSettingSection, kPasswordValue, "");
}

StoredLogin read_stored_login(const settings::SettingsRegistry::Reader& reader) {
  StoredLogin login;
  login.auto_login = reader.read_dword(settings::kSettingSection, kAutoLoginValue, 0) != 0;
  login.user_id = util::Decode(reader.read_text(settings::kSettingSection, kUserIdValue));
  if (login.auto_login) login.password = util::Decode(reader.read_text(settings::kSettingSection, kPasswordValue));
  return login;
}

}  // namespace dovel::service
