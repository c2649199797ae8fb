#include "settings/settings_registry.h"

#include "base/text.h"
#include "util/log_files.h"

namespace dovel::settings {

bool text_fits_registry(std::string_view name, std::string_view value) {
  if (base::utf8_length(value) <= kMaxRegistryTextCharacters) return true;
  std::string value_name(name);
  util::LogSystem("설정값 %s은(는) %zu자를 넘어 저장하지 않았습니다.", value_name.c_str(), kMaxRegistryTextCharacters);
  return false;
}

std::string settings_root(const platform::RegistryHive& hive) {
  return std::string(hive.key_exists(kPrimaryRoot) ? kPrimaryRoot : kFallbackRoot);
}

SettingsRegistry::Writer::Writer(platform::RegistryHive& hive) : hive_(hive), root_(settings_root(hive)) {}

std::string SettingsRegistry::Writer::key_of(std::string_view section) const { return root_ + "\\" + std::string(section); }

bool SettingsRegistry::Writer::write_text(std::string_view section, std::string_view name, std::string_view value) {
  if (!text_fits_registry(name, value)) return false;
  hive_.set_value(key_of(section), name, std::string(value));
  return true;
}

void SettingsRegistry::Writer::write_dword(std::string_view section, std::string_view name, uint32_t value) {
  hive_.set_value(key_of(section), name, value);
}

void SettingsRegistry::Writer::delete_section(std::string_view section) { hive_.delete_key(key_of(section)); }

SettingsRegistry::Reader::Reader(platform::RegistryHive hive) : hive_(std::move(hive)), root_(settings_root(hive_)) {}

std::string SettingsRegistry::Reader::key_of(std::string_view section) const { return root_ + "\\" + std::string(section); }

std::optional<std::string> SettingsRegistry::Reader::find_text(std::string_view section, std::string_view name) const {
  const platform::RegistryValue* value = hive_.find_value(key_of(section), name);
  if (value == nullptr || !std::holds_alternative<std::string>(*value)) return std::nullopt;
  return std::get<std::string>(*value);
}

std::string SettingsRegistry::Reader::read_text(std::string_view section, std::string_view name) const {
  return find_text(section, name).value_or(std::string());
}

uint32_t SettingsRegistry::Reader::read_dword(std::string_view section, std::string_view name, uint32_t fallback) const {
  const platform::RegistryValue* value = hive_.find_value(key_of(section), name);
  if (value == nullptr || !std::holds_alternative<uint32_t>(*value)) return fallback;
  return std::get<uint32_t>(*value);
}

SettingsRegistry::Reader SettingsRegistry::reader() const { return Reader(store_.snapshot(platform::Hive::CurrentUser)); }

std::string SettingsRegistry::root() const { return settings_root(store_.snapshot(platform::Hive::CurrentUser)); }

std::string SettingsRegistry::read_text(std::string_view section, std::string_view name) const { return reader().read_text(section, name); }

uint32_t SettingsRegistry::read_dword(std::string_view section, std::string_view name, uint32_t fallback) const {
  return reader().read_dword(section, name, fallback);
}

bool SettingsRegistry::edit(const std::function<void(Writer&)>& change) {
  return store_.edit(platform::Hive::CurrentUser, [&](platform::RegistryHive& hive) {
    Writer writer(hive);
    change(writer);
  });
}

bool SettingsRegistry::write_text(std::string_view section, std::string_view name, std::string_view value) {
  if (!text_fits_registry(name, value)) return false;
  return edit([&](Writer& writer) { writer.write_text(section, name, value); });
}

bool SettingsRegistry::write_dword(std::string_view section, std::string_view name, uint32_t value) {
  return edit([&](Writer& writer) { writer.write_dword(section, name, value); });
}

}  // namespace dovel::settings
