#include "app/update_check.h"

#include "app/listed_file_path.h"
#include "util/file_utils.h"

namespace dovel::app {

std::optional<ListedFile> FirstOutOfDateFile(const UpdateList& remote_list, const std::optional<UpdateList>& local_list,
                                             const std::filesystem::path& program_folder) {
  for (const ListedFile& file : remote_list) {
    if (file.name.empty()) continue;
    std::optional<std::filesystem::path> on_disk = ListedFilePath(program_folder, file.name);
    if (!on_disk) continue;
    if (!IsFileCurrent(local_list, file.name, file.version)) return file;
    if (file.check_size != "false" && util::FileSize(*on_disk) == 0) return file;
  }
  return std::nullopt;
}

bool CheckForUpdate(const UpdateHost& host, const std::filesystem::path& program_folder) {
  if (!host.fetch) return false;
  std::optional<std::string> document = host.fetch(UpdateListUrl(UpdateBaseUrl(host.base)));
  if (!document) return false;
  std::optional<UpdateList> remote_list = ReadUpdateList(*document);
  if (!remote_list) return false;
  return FirstOutOfDateFile(*remote_list, LoadLocalUpdateList(program_folder), program_folder).has_value();
}

}  // namespace dovel::app
