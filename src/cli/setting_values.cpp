#include "cli/setting_values.h"

#include <algorithm>
#include <filesystem>
#include <functional>

#include "base/string_printf.h"
#include "base/text.h"
#include "platform/cp949.h"
#include "service/service_domain.h"
#include "service/stored_login.h"
#include "settings/settings_page_rules.h"
#include "settings/setting_table.h"
#include "settings/settings_registry.h"
#include "share/shared_folder_rules.h"
#include "util/file_utils.h"
#include "util/letter_pair.h"

namespace dovel::cli {
namespace {

// A rule over the whole set of stored values after a change; the refusal or nullopt.
using StoredCheck = std::function<std::optional<std::string>(const settings::StoredSettings&)>;

struct SettingValue {
  std::string_view name;
  std::function<std::string(settings::Settings&)> read;
  std::function<SettingChange(settings::Settings&, std::string_view text, const SettingContext&)> write;
};

SettingChange refused(std::string message) { return {std::move(message), {}}; }

constexpr std::string_view kNotSaved = "설정을 저장하지 못했습니다.";

std::string flag_text(bool on) { return on ? "1" : "0"; }

std::optional<bool> parse_flag(std::string_view text) {
  if (text == "0") return false;
  if (text == "1") return true;
  return std::nullopt;
}

std::string flag_refusal(std::string_view name) { return std::string(name) + " 값은 0 또는 1이어야 합니다."; }

std::optional<uint32_t> parse_in_range(std::string_view text, const settings::NumberRange& range) {
  std::optional<uint32_t> number = base::parse_uint32(text);
  if (!number || !range.contains(*number)) return std::nullopt;
  return number;
}

std::string range_refusal(std::string_view name, const settings::NumberRange& range) {
  return std::string(name) + base::string_printf(" 값은 %u ~ %u 사이의 숫자이어야 합니다.", range.low, range.high);
}

// A text the settings store can keep as typed into a one-line box: UTF-8 without
// control characters, and (in the form it is stored in) within the store's limit,
// which would otherwise drop it without a word.
std::optional<std::string> text_refusal(std::string_view name, std::string_view text, std::string_view stored_form) {
  const bool has_control = std::any_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
  });
  if (!platform::is_valid_utf8(text) || has_control) {
    return std::string(name) + " 값에 쓸 수 없는 글자가 있습니다.";
  }
  if (base::utf8_length(stored_form) > settings::kMaxRegistryTextCharacters) {
    return std::string(name) + " 값이 너무 깁니다.";
  }
  return std::nullopt;
}

// Applies a change to a copy of the stored values, checks the copy, and only
// then stores it with the rest of the settings, as a page's apply does.
SettingChange store_checked(settings::Settings& settings, const std::function<void(settings::StoredSettings&)>& change,
                            const StoredCheck& check = {}) {
  settings::StoredSettings changed = settings.values();
  change(changed);
  if (check) {
    if (std::optional<std::string> refusal = check(changed)) return refused(*refusal);
  }
  if (!settings.update([&changed](settings::StoredSettings& values) { values = changed; }) || !settings.Save()) {
    return refused(std::string(kNotSaved));
  }
  return {};
}

std::optional<std::string> reserve_check(const settings::StoredSettings& values) {
  return settings::server_reserve_refusal(values.use_server_reserve, values.server_reserve_start_time, values.server_reserve_end_time);
}

// The rules of the folder page's apply: no shared folder may be the download
// folder, and a secret folder needs the password.
std::optional<std::string> folder_page_check(const settings::StoredSettings& values) {
  return share::check_shared_folder_list(values.shared_folders, values.down_path, values.folder_pass);
}

SettingValue stored_flag(const settings::FlagSetting& row, StoredCheck check = {}) {
  return {row.name, [&row](settings::Settings& settings) { return flag_text(settings.values().*row.member); },
          [&row, check](settings::Settings& settings, std::string_view text, const SettingContext&) {
            std::optional<bool> on = parse_flag(text);
            if (!on) return refused(flag_refusal(row.name));
            return store_checked(settings, [&](settings::StoredSettings& values) { values.*row.member = *on; }, check);
          }};
}

SettingValue stored_number(const settings::NumberSetting& row, StoredCheck check = {}) {
  return {row.name, [&row](settings::Settings& settings) { return std::to_string(settings.values().*row.member); },
          [&row, check](settings::Settings& settings, std::string_view text, const SettingContext&) {
            std::optional<uint32_t> number = parse_in_range(text, *row.range);
            if (!number) return refused(range_refusal(row.name, *row.range));
            return store_checked(settings, [&](settings::StoredSettings& values) { values.*row.member = *number; }, check);
          }};
}

SettingValue share_port() {
  return {settings::kSharePort.name, [](settings::Settings& settings) { return std::to_string(settings.values().share_port); },
          [](settings::Settings& settings, std::string_view text, const SettingContext&) {
            std::optional<uint32_t> port = settings::parse_share_port(text);
            if (!port) return refused(std::string(settings::kSharePortRangeMessage));
            const bool changed = settings.values().share_port != *port;
            SettingChange stored = store_checked(settings, [&](settings::StoredSettings& values) { values.share_port = *port; });
            if (!stored.refusal && changed) stored.notice = settings::kSharePortChangedNotice;
            return stored;
          }};
}

SettingValue server_subject() {
  return {settings::kServerSubject.name, [](settings::Settings& settings) { return settings.values().server_subject; },
          [](settings::Settings& settings, std::string_view text, const SettingContext&) {
            const std::string title(base::trim(text));
            if (auto refusal = text_refusal(settings::kServerSubject.name, title, title)) return refused(*refusal);
            if (auto refusal = settings::server_subject_refusal(title)) return refused(*refusal);
            return store_checked(settings, [&](settings::StoredSettings& values) { values.server_subject = title; });
          }};
}

SettingValue intro_url() {
  return {settings::kIntroUrl.name, [](settings::Settings& settings) { return settings.values().intro_url; },
          [](settings::Settings& settings, std::string_view text, const SettingContext& context) {
            const std::string address(base::trim(text));
            if (auto refusal = text_refusal(settings::kIntroUrl.name, address, address)) return refused(*refusal);
            // Peers receive the address in the greeting, so it must have a CP949 form.
            if (!platform::utf8_to_cp949(address)) return refused("소개페이지 주소에 쓸 수 없는 글자가 있습니다.");
            if (service::mentions_service_domain(address, context.web_base)) {
              return refused(base::string_printf("소개페이지 주소에는 서비스의 도메인(%s)을 넣을 수 없습니다.",
                                                 service::service_domain(context.web_base).c_str()));
            }
            return store_checked(settings, [&](settings::StoredSettings& values) { values.intro_url = address; });
          }};
}

SettingValue down_path() {
  return {settings::kDownPath.name, [](settings::Settings& settings) { return settings.values().down_path; },
          [](settings::Settings& settings, std::string_view text, const SettingContext&) {
            if (text.empty()) return refused("다운로드폴더가 없습니다.");
            std::error_code error;
            std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(std::string(text)), error);
            const std::string folder = error ? std::string(text) : absolute.lexically_normal().string();
            if (auto refusal = text_refusal(settings::kDownPath.name, folder, folder)) return refused(*refusal);
            if (!util::FolderExists(folder)) return refused(base::string_printf("다운로드폴더(%s)가 존재하지 않습니다.", folder.c_str()));
            return store_checked(settings, [&](settings::StoredSettings& values) { values.down_path = folder; }, folder_page_check);
          }};
}

SettingValue folder_pass() {
  return {settings::kFolderPass.name, [](settings::Settings& settings) { return settings.values().folder_pass; },
          [](settings::Settings& settings, std::string_view text, const SettingContext&) {
            if (auto refusal = text_refusal(settings::kFolderPass.name, text, util::Encode(text))) return refused(*refusal);
            // Peers send the password in CP949; one without that form could never match.
            if (!platform::utf8_to_cp949(text)) return refused("비밀폴더 암호에 쓸 수 없는 글자가 있습니다.");
            return store_checked(settings, [&](settings::StoredSettings& values) { values.folder_pass = std::string(text); }, folder_page_check);
          }};
}

// Values one window keeps for itself, read and written on their own.
SettingValue window_flag(const settings::FlagSetting& row) {
  return {row.name, [&row](settings::Settings& settings) { return flag_text(settings.registry().read(row)); },
          [&row](settings::Settings& settings, std::string_view text, const SettingContext&) {
            std::optional<bool> on = parse_flag(text);
            if (!on) return refused(flag_refusal(row.name));
            if (!settings.registry().write(row, *on)) return refused(std::string(kNotSaved));
            return SettingChange{};
          }};
}

SettingValue window_number(const settings::NumberSetting& row) {
  return {row.name, [&row](settings::Settings& settings) { return std::to_string(settings.registry().read(row)); },
          [&row](settings::Settings& settings, std::string_view text, const SettingContext&) {
            std::optional<uint32_t> number = parse_in_range(text, *row.range);
            if (!number) return refused(range_refusal(row.name, *row.range));
            if (!settings.registry().write(row, *number)) return refused(std::string(kNotSaved));
            return SettingChange{};
          }};
}

SettingValue auto_login() {
  return {settings::kAutoLogin.name,
          [](settings::Settings& settings) { return flag_text(service::read_stored_login(settings.registry().reader()).auto_login); },
          [](settings::Settings& settings, std::string_view text, const SettingContext&) {
            std::optional<bool> on = parse_flag(text);
            if (!on) return refused(flag_refusal(settings::kAutoLogin.name));
            if (!settings.registry().edit([&](settings::SettingsRegistry::Writer& writer) { service::set_auto_login(writer, *on); })) {
              return refused(std::string(kNotSaved));
            }
            return SettingChange{};
          }};
}

const std::vector<SettingValue>& setting_values() {
  static const std::vector<SettingValue> values = {
      stored_flag(settings::kShowServer),
      server_subject(),
      intro_url(),
      down_path(),
      share_port(),
      stored_number(settings::kMaxUpload),
      stored_flag(settings::kUseIntroUrl),
      stored_flag(settings::kUseMultiDown),
      stored_flag(settings::kAllowMemo),
      stored_flag(settings::kUltraTurbo),
      stored_flag(settings::kAutoHash),
      stored_flag(settings::kAutoRetryStopDown),
      stored_number(settings::kSelLimitDownSameTime),
      stored_flag(settings::kUseNotifyWindow),
      stored_flag(settings::kUseServerReserve, reserve_check),
      stored_flag(settings::kUseServerReserveRepeat),
      stored_number(settings::kServerReserveStartTime, reserve_check),
      stored_number(settings::kServerReserveEndTime, reserve_check),
      folder_pass(),
      stored_number(settings::kMaxForFolderDown),
      window_flag(settings::kAutoTray),
      auto_login(),
      window_number(settings::kLimitDownloadSpeed),
      window_number(settings::kLimitUploadSpeed),
      window_number(settings::kSendtoDelay),
      window_number(settings::kAutoSort),
  };
  return values;
}

const SettingValue* value_named(std::string_view name) {
  const std::vector<SettingValue>& values = setting_values();
  auto same_name = [name](const SettingValue& value) { return base::iequals_ascii(value.name, name); };
  auto found = std::find_if(values.begin(), values.end(), same_name);
  return found == values.end() ? nullptr : &*found;
}

}  // namespace

const std::vector<std::string_view>& setting_value_names() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> all;
    for (const SettingValue& value : setting_values()) all.push_back(value.name);
    return all;
  }();
  return names;
}

std::optional<std::string_view> find_setting_value(std::string_view name) {
  const SettingValue* value = value_named(name);
  if (value == nullptr) return std::nullopt;
  return value->name;
}

std::string read_setting_value(settings::Settings& settings, std::string_view name) {
  const SettingValue* value = value_named(name);
  return value == nullptr ? std::string() : value->read(settings);
}

SettingChange write_setting_value(settings::Settings& settings, std::string_view name, std::string_view text, const SettingContext& context) {
  const SettingValue* value = value_named(name);
  if (value == nullptr) return refused("알 수 없는 설정값입니다.");
  return value->write(settings, text, context);
}

}  // namespace dovel::cli
