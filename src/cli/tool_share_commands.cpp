#include "cli/tool_share_commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>

#include "app/local_databases.h"
#include "cli/tool_arguments.h"
#include "cli/tool_data_home.h"
#include "platform/registry_store.h"
#include "settings/settings.h"
#include "share/share_index_rows.h"
#include "share/shared_folder_rules.h"

namespace dovel::cli {
namespace {

constexpr const char* kUsage =
    "usage: dovel-tool share add [--home DIR] NAME PATH [--adult] [--friend] [--secret]\n"
    "       dovel-tool share list [--home DIR]\n"
    "       dovel-tool share remove [--home DIR] NAME\n";

int usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int refuse(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

void print_share(size_t index, const settings::SharedFolder& folder) {
  std::printf("%zu\t%s\t%s\t%s\n", index, folder.name.c_str(), folder.path.c_str(), share::ShareFlagsText(folder.flags).c_str());
}

// The folder as the dialog's folder picker would hand it over: absolute, so that
// the client finds it whatever folder it starts in.
std::string absolute_folder(const std::string& typed) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(typed), error);
  if (error) return typed;
  std::string folder = absolute.lexically_normal().string();
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// One data home's loaded settings, as a settings page opens them.
struct OpenedSettings {
  platform::DataHome home;
  platform::RegistryStore store;
  settings::Settings settings;

  explicit OpenedSettings(platform::DataHome opened)
      : home(std::move(opened)), store(home.registry_folder()), settings(store, home.root) {
    settings.Load();
  }
};

// Replaces the list, after `keep_table_in_step` brought the shared-files table
// in line with it; nothing is stored when the table cannot follow.
int store_list(OpenedSettings& opened, std::vector<settings::SharedFolder> rows,
               const std::function<bool(db::Sqlite3Connection&)>& keep_table_in_step) {
  app::LocalDatabases databases;
  if (!open_tool_databases(opened.home, databases)) return 1;
  if (!keep_table_in_step(databases.data)) return refuse("공유파일 목록을 고치지 못해 공유폴더를 바꾸지 않았습니다.");
  if (!opened.settings.set_shared_folders(std::move(rows)) || !opened.settings.Save()) return refuse("설정을 저장하지 못했습니다.");
  return 0;
}

int add_share(const std::vector<std::string>& words) {
  std::optional<ToolArguments> arguments = read_tool_arguments(words, {"--adult", "--friend", "--secret"});
  if (!arguments || arguments->operands.size() != 2) return usage();
  std::optional<platform::DataHome> home = open_tool_data_home(arguments->home);
  if (!home) return 1;
  std::optional<platform::FileLock> held = hold_stopped_data_home(*home);
  if (!held) return 1;
  OpenedSettings opened(std::move(*home));

  uint32_t flags = settings::SHARE_READ;
  if (arguments->has("--adult")) flags |= settings::SHARE_ADULT;
  if (arguments->has("--friend")) flags |= settings::SHARE_FRIEND;
  if (arguments->has("--secret")) flags |= settings::SHARE_SECRET;
  const settings::SharedFolder entry{arguments->operands[0], absolute_folder(arguments->operands[1]), flags};

  const settings::StoredSettings values = opened.settings.values();
  std::vector<settings::SharedFolder> rows = values.shared_folders;
  if (auto refusal = share::check_shared_folder_entry(entry, rows, share::EntryMode::Add)) return refuse(*refusal);
  rows.push_back(entry);
  if (auto refusal = share::check_shared_folder_list(rows, values.down_path, values.folder_pass)) return refuse(*refusal);

  const size_t count_before = values.shared_folders.size();
  int stored = store_list(opened, rows, [count_before](db::Sqlite3Connection& data) { return share::drop_rows_beyond(data, count_before); });
  if (stored == 0) print_share(count_before, entry);
  return stored;
}

int list_shares(const std::vector<std::string>& words) {
  std::optional<ToolArguments> arguments = read_tool_arguments(words);
  if (!arguments || !arguments->operands.empty()) return usage();
  std::optional<platform::DataHome> home = open_tool_data_home(arguments->home);
  if (!home) return 1;
  OpenedSettings opened(std::move(*home));
  const std::vector<settings::SharedFolder> rows = opened.settings.shared_folders();
  for (size_t index = 0; index < rows.size(); ++index) print_share(index, rows[index]);
  return 0;
}

int remove_share(const std::vector<std::string>& words) {
  std::optional<ToolArguments> arguments = read_tool_arguments(words);
  if (!arguments || arguments->operands.size() != 1) return usage();
  std::optional<platform::DataHome> home = open_tool_data_home(arguments->home);
  if (!home) return 1;
  std::optional<platform::FileLock> held = hold_stopped_data_home(*home);
  if (!held) return 1;
  OpenedSettings opened(std::move(*home));

  const std::string& name = arguments->operands[0];
  const settings::StoredSettings values = opened.settings.values();
  std::vector<settings::SharedFolder> rows = values.shared_folders;
  auto found = std::find_if(rows.begin(), rows.end(), [&name](const settings::SharedFolder& row) { return row.name == name; });
  if (found == rows.end()) return refuse("'" + name + "' 공유폴더가 없습니다.");
  if (rows.size() == 1) return refuse("삭제할 수 없습니다. 최소 하나이상이 설정되어야 합니다.");
  const auto removed = static_cast<settings::ShareIndex>(found - rows.begin());
  rows.erase(found);
  if (auto refusal = share::check_shared_folder_list(rows, values.down_path, values.folder_pass)) return refuse(*refusal);

  return store_list(opened, std::move(rows), [removed](db::Sqlite3Connection& data) { return share::remove_share_rows(data, removed); });
}

}  // namespace

int share_command(const std::vector<std::string>& words) {
  if (words.empty()) return usage();
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  if (words[0] == "add") return add_share(rest);
  if (words[0] == "list") return list_shares(rest);
  if (words[0] == "remove") return remove_share(rest);
  return usage();
}

}  // namespace dovel::cli
