#include "settings/settings_registry.h"

#include "base/text.h"
#include "util/letter_pair.h"
#include "util/log_files.h"

namespace dovel::settings {
namespace {

// A text as the store keeps it.
std::string stored_form(const TextSetting& row, std::string_view text) {
  return row.form == TextForm::LetterPair ? util::Encode(text) : std::string(text);
}

}  // namespace

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

void SettingsRegistry::Writer::write(const FlagSetting& row, bool on) {
  hive_.set_value(key_of(row.section), row.name, static_cast<uint32_t>(on ? 1 : 0));
}

void SettingsRegistry::Writer::write(const NumberSetting& row, uint32_t value) { hive_.set_value(key_of(row.section), row.name, value); }

bool SettingsRegistry::Writer::write(const TextSetting& row, std::string_view text) {
  return write_text(row.section, row.name, stored_form(row, text));
}

bool SettingsRegistry::Writer::write_text(std::string_view section, std::string_view name, std::string_view value) {
  if (!text_fits_registry(name, value)) return false;
  hive_.set_value(key_of(section), name, std::string(value));
  return true;
}

void SettingsRegistry::Writer::delete_section(std::string_view section) { hive_.delete_key(key_of(section)); }

SettingsRegistry::Reader::Reader(platform::RegistryHive hive) : hive_(std::move(hive)), root_(settings_root(hive_)) {}

std::string SettingsRegistry::Reader::key_of(std::string_view section) const { return root_ + "\\" + std::string(section); }

std::optional<uint32_t> SettingsRegistry::Reader::find_dword(std::string_view section, std::string_view name) const {
  const platform::RegistryValue* value = hive_.find_value(key_of(section), name);
  if (value == nullptr || !std::holds_alternative<uint32_t>(*value)) return std::nullopt;
  return std::get<uint32_t>(*value);
}

std::string SettingsRegistry::Reader::read_text(std::string_view section, std::string_view name) const {
  const platform::RegistryValue* value = hive_.find_value(key_of(section), name);
  if (value == nullptr || !std::holds_alternative<std::string>(*value)) return {};
  return std::get<std::string>(*value);
}

bool SettingsRegistry::Reader::read(const FlagSetting& row) const { return row.from_store(find_dword(row.section, row.name)); }

uint32_t SettingsRegistry::Reader::read(const NumberSetting& row) const { return row.from_store(find_dword(row.section, row.name)); }

std::string SettingsRegistry::Reader::read(const TextSetting& row) const {
  std::string stored = read_text(row.section, row.name);
  return row.form == TextForm::LetterPair ? util::Decode(stored) : stored;
}

SettingsRegistry::Reader SettingsRegistry::reader() const { return Reader(store_.snapshot(platform::Hive::CurrentUser)); }

std::string SettingsRegistry::root() const { return settings_root(store_.snapshot(platform::Hive::CurrentUser)); }

bool SettingsRegistry::edit(const std::function<void(Writer&)>& change) {
  return store_.edit(platform::Hive::CurrentUser, [&](platform::RegistryHive& hive) {
    Writer writer(hive);
    change(writer);
  });
}

bool SettingsRegistry::write(const FlagSetting& row, bool on) {
  return edit([&](Writer& writer) { writer.write(row, on); });
}

bool SettingsRegistry::write(const NumberSetting& row, uint32_t value) {
  return edit([&](Writer& writer) { writer.write(row, value); });
}

bool SettingsRegistry::write(const TextSetting& row, std::string_view text) {
  const std::string stored = stored_form(row, text);
  if (!text_fits_registry(row.name, stored)) return false;
  return edit([&](Writer& writer) { writer.write_text(row.section, row.name, stored); });
}

}  // namespace dovel::settings
