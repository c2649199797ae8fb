#include "settings/settings.h"

#include <optional>
#include <random>
#include <variant>

#include "base/text.h"
#include "platform/cp949.h"
#include "util/file_utils.h"
#include "util/last_error.h"

namespace dovel::settings {
namespace {

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

// What a text that is missing or empty becomes on load.
std::string default_text(TextDefault kind, const std::filesystem::path& program_folder) {
  switch (kind) {
    case TextDefault::RandomServerTitle: return std::string(random_default_title());
    case TextDefault::DownloadFolder: return default_folder(program_folder, "Download");
    case TextDefault::Empty: break;
  }
  return {};
}

// Reads one row of the table into its member, with the row's default and repair.
struct LoadedValue {
  const SettingsRegistry::Reader& reader;
  const std::filesystem::path& program_folder;
  StoredSettings& values;

  void operator()(const FlagSetting* row) const { values.*row->member = reader.read(*row); }
  void operator()(const NumberSetting* row) const { values.*row->member = reader.read(*row); }
  void operator()(const TextSetting* row) const {
    std::string text = reader.read(*row);
    if (text.empty()) text = default_text(row->on_load, program_folder);
    if (row->form == TextForm::Trimmed) text = std::string(base::trim(text));
    values.*row->member = std::move(text);
  }
};

// Writes one member under its row of the table.
struct SavedValue {
  SettingsRegistry::Writer& writer;
  const StoredSettings& values;

  void operator()(const FlagSetting* row) const { writer.write(*row, values.*row->member); }
  void operator()(const NumberSetting* row) const { writer.write(*row, values.*row->member); }
  void operator()(const TextSetting* row) const { writer.write(*row, values.*row->member); }
};

}  // namespace

Settings::Settings(platform::RegistryStore& store, std::filesystem::path program_folder)
    : registry_(store), program_folder_(std::move(program_folder)) {}

void Settings::Load() {
  SettingsRegistry::Reader reader = registry_.reader();
  StoredSettings loaded;
  for (const RegistryRow& row : kLoadedTogether) std::visit(LoadedValue{reader, program_folder_, loaded}, row);
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
    for (const RegistryRow& row : kLoadedTogether) std::visit(SavedValue{writer, v}, row);
    writer.delete_section(kSharedFolderSection);
    for (size_t index = 0; index < v.shared_folders.size(); ++index) {
      const settings::SharedFolder& folder = v.shared_folders[index];
      writer.write_text(kSharedFolderSection, std::to_string(index),
                        folder.name + ";" + folder.path + ";" + std::to_string(static_cast<int32_t>(folder.flags)));
    }
  });
}

bool Settings::store(const FlagSetting& row, bool on) {
  std::lock_guard guard(lock_);
  values_.*row.member = on;
  return registry_.write(row, on);
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

}  // namespace dovel::settings
