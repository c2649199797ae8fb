#include "settings/settings.h"

#include <optional>
#include <random>

#include "base/text.h"
#include "platform/cp949.h"
#include "util/file_utils.h"
#include "util/last_error.h"
#include "util/letter_pair.h"

namespace dovel::settings {
namespace {

uint32_t in_range(uint32_t value, uint32_t low, uint32_t high, uint32_t fallback) {
  return value >= low && value <= high ? value : fallback;
}

// One of the default titles, picked anew by every data home that has none.
std::string_view random_default_title() {
  std::random_device seed;
  std::uniform_int_distribution<size_t> pick(0, kDefaultServerTitles.size() - 1);
  return kDefaultServerTitles[pick(seed)];
}

// A folder below the program folder, created when missing, as a path ending in '/'.
std::string default_folder(const std::filesystem::path& program_folder, std::string_view name) {
  std::string folder = util::collapse_doubled_separators(program_folder.string() + "/" + std::string(name) + "/");
  util::CreateFolderPath(folder);
  return folder;
}

// The flags field as a 64-bit decimal of which the low 32 bits count: leading
// digits with an optional sign, the rest ignored, as the list has always been read.
uint32_t parse_flags(std::string_view text) {
  std::string digits(base::trim(text));
  return static_cast<uint32_t>(static_cast<uint64_t>(std::strtoll(digits.c_str(), nullptr, 10)));
}

std::vector<settings::SharedFolder> load_folder_list(const SettingsRegistry::Reader& reader) {
  std::vector<settings::SharedFolder> folders;
  for (size_t index = 0;; ++index) {
    std::string entry = reader.read_text(kSharedFolderSection, std::to_string(index));
    if (entry.empty()) break;
    std::vector<std::string> fields = base::split(entry, ';');
    if (fields.size() != 3) break;
    folders.push_back({fields[0], fields[1], parse_flags(fields[2])});
  }
  return folders;
}

}  // namespace

bool storable_in_folder_list(const settings::SharedFolder& folder) {
  return folder.name.find(';') == std::string::npos && folder.path.find(';') == std::string::npos;
}

Settings::Settings(platform::RegistryStore& store, std::filesystem::path program_folder)
    : registry_(store), program_folder_(std::move(program_folder)) {}

void Settings::Load() {
  SettingsRegistry::Reader reader = registry_.reader();
  StoredSettings loaded;
  auto flag = [&](std::string_view name, bool fallback) { return reader.read_dword(kSettingSection, name, fallback ? 1 : 0) != 0; };
  auto number = [&](std::string_view name, uint32_t fallback) { return reader.read_dword(kSettingSection, name, fallback); };

  loaded.show_server = flag("ShowServer", true);
  std::string subject = reader.read_text(kSettingSection, "ServerSubject");
  if (subject.empty()) subject = std::string(random_default_title());
  loaded.server_subject = std::string(base::trim(subject));
  loaded.intro_url = reader.read_text(kSettingSection, "IntroURL");
  loaded.down_path = reader.read_text(kSettingSection, "DownPath");
  if (loaded.down_path.empty()) loaded.down_path = default_folder(program_folder_, "Download");
  loaded.share_port = in_range(number("SharePort", kDefaultSharePort), 1, 65535, kDefaultSharePort);
  loaded.max_upload = in_range(number("MaxUpload", 10), 1, 100, 10);
  loaded.use_intro_url = flag("UseIntroURL", false);
  loaded.use_multi_down = flag("UseMultiDown", true);
  loaded.allow_memo = flag("AllowMemo", true);
  loaded.ultra_turbo = flag("UltraTurbo", true);
  loaded.auto_hash = flag("AutoHash", true);
  loaded.auto_retry_stop_down = flag("AutoRetryStopDown", false);
  loaded.sel_limit_down_same_time = number("SelLimitDownSameTime", 1);
  loaded.use_notify_window = flag("UseNotifyWindow", true);
  loaded.use_server_reserve = flag("UseServerReserve", false);
  loaded.use_server_reserve_repeat = flag("UseServerReserveRepeat", false);
  loaded.server_reserve_start_time = in_range(number("ServerReserveStartTime", 0), 0, 23, 0);
  loaded.server_reserve_end_time = in_range(number("ServerReserveEndTime", 0), 0, 23, 0);
  loaded.folder_pass = util::Decode(reader.read_text(kSettingSection, "FolderPass"));
  loaded.max_for_folder_down = in_range(number("MaxForFolderDown", 3), 0, 6, 3);

  loaded.shared_folders = load_folder_list(reader);
  const bool made_default_folder = loaded.shared_folders.empty();
  if (made_default_folder) {
    loaded.shared_folders.push_back({std::string(kDefaultShareName), default_folder(program_folder_, "Upload"), kDefaultShareFlags});
  }

  std::lock_guard guard(lock_);
  values_ = std::move(loaded);
  server_kind = 0;
  // The default shared folder is stored at once, so the list is never empty on disk.
  if (made_default_folder) Save();
}

bool Settings::Save() {
  std::lock_guard guard(lock_);
  const StoredSettings& v = values_;
  return registry_.edit([&v](SettingsRegistry::Writer& writer) {
    auto text = [&](std::string_view name, std::string_view value) { writer.write_text(kSettingSection, name, value); };
    auto number = [&](std::string_view name, uint32_t value) { writer.write_dword(kSettingSection, name, value); };
    number("ShowServer", v.show_server);
    text("ServerSubject", v.server_subject);
    text("IntroURL", v.intro_url);
    text("DownPath", v.down_path);
    number("SharePort", v.share_port);
    number("MaxUpload", v.max_upload);
    number("UseIntroURL", v.use_intro_url);
    number("UseMultiDown", v.use_multi_down);
    number("AllowMemo", v.allow_memo);
    number("UltraTurbo", v.ultra_turbo);
    number("AutoHash", v.auto_hash);
    number("AutoRetryStopDown", v.auto_retry_stop_down);
    number("SelLimitDownSameTime", v.sel_limit_down_same_time);
    number("UseNotifyWindow", v.use_notify_window);
    number("UseServerReserve", v.use_server_reserve);
    number("UseServerReserveRepeat", v.use_server_reserve_repeat);
    number("ServerReserveStartTime", v.server_reserve_start_time);
    number("ServerReserveEndTime", v.server_reserve_end_time);
    text("FolderPass", util::Encode(v.folder_pass));
    number("MaxForFolderDown", v.max_for_folder_down);

    writer.delete_section(kSharedFolderSection);
    for (size_t index = 0; index < v.shared_folders.size(); ++index) {
      const settings::SharedFolder& folder = v.shared_folders[index];
      writer.write_text(kSharedFolderSection, std::to_string(index),
                        folder.name + ";" + folder.path + ";" + std::to_string(static_cast<int32_t>(folder.flags)));
    }
  });
}

bool Settings::check_share_settings() {
  std::lock_guard guard(lock_);
  const StoredSettings& v = values_;
  if (v.down_path.empty()) {
    util::SetLastErrorText("다운로드폴더가 없습니다.");
    return false;
  }
  if (!util::FolderExists(v.down_path)) {
    util::SetLastErrorText("다운로드폴더(%s)가 존재하지 않습니다.", v.down_path.c_str());
    return false;
  }
  if (!server_usable) return true;
  if (v.server_subject.empty()) {
    util::SetLastErrorText("내서버제목이 없습니다.");
    return false;
  }
  bool has_public_folder = false;
  for (const settings::SharedFolder& folder : v.shared_folders) has_public_folder |= (folder.flags & settings::SHARE_FRIEND) == 0;
  if (!has_public_folder) {
    util::SetLastErrorText("친구전용폴더를 제외한 공유폴더는 1개이상이 지정이 되어야합니다.");
    return false;
  }
  for (size_t i = 0; i < v.shared_folders.size(); ++i) {
    const settings::SharedFolder& folder = v.shared_folders[i];
    const int number = static_cast<int>(i + 1);
    if (util::SameFolder(folder.path, v.down_path)) {
      util::SetLastErrorText("%d번째 공유폴더와 다운로드폴더가 같습니다. 공유폴더와 다운폴더는 틀려야 합니다.", number);
      return false;
    }
    if (folder.name.empty()) {
      util::SetLastErrorText("%d번째 공유이름이 없습니다.", number);
      return false;
    }
    if (folder.path.empty()) {
      util::SetLastErrorText("%d번째 공유폴더가 없습니다.", number);
      return false;
    }
  }
  std::optional<std::string> wire_subject = platform::utf8_to_cp949(v.server_subject);
  if (!wire_subject) {
    util::SetLastErrorText("내서버제목에 쓸 수 없는 글자가 있습니다.");
    return false;
  }
  if (wire_subject->size() > kMaxServerSubjectBytes) {
    util::SetLastErrorText("내서버제목이 %d바이트가 넘습니다.", static_cast<int>(kMaxServerSubjectBytes));
    return false;
  }
  return true;
}

StoredSettings Settings::values() const {
  std::lock_guard guard(lock_);
  return values_;
}

bool Settings::update(const std::function<void(StoredSettings&)>& change) {
  std::lock_guard guard(lock_);
  StoredSettings changed = values_;
  change(changed);
  for (const settings::SharedFolder& folder : changed.shared_folders) {
    if (!storable_in_folder_list(folder)) return false;
  }
  values_ = std::move(changed);
  return true;
}

std::vector<settings::SharedFolder> Settings::shared_folders() const {
  std::lock_guard guard(lock_);
  return values_.shared_folders;
}

bool Settings::set_shared_folders(std::vector<settings::SharedFolder> folders) {
  return update([&folders](StoredSettings& values) { values.shared_folders = std::move(folders); });
}

}  // namespace dovel::settings
