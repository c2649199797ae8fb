#include "app/update_list.h"

#include <algorithm>

#include "app/update_host.h"
#include "app/version_text.h"
#include "app/xml_document.h"
#include "platform/atomic_file.h"

namespace dovel::app {

std::optional<UpdateList> ReadUpdateList(std::string_view document) {
  pugi::xml_document xml;
  if (!LoadXmlDocument(document, xml)) return std::nullopt;
  UpdateList list;
  for (const pugi::xml_node& element : ElementsNamed(xml, "file")) {
    list.push_back({AttributeText(element, "name"), AttributeText(element, "version"), AttributeText(element, "check_size")});
  }
  return list;
}

std::optional<UpdateList> LoadLocalUpdateList(const std::filesystem::path& program_folder) {
  std::optional<std::string> document =
      platform::read_whole_file(program_folder / std::string(kLocalUpdateListFile), kMaxUpdateHostDocumentBytes);
  if (!document) return std::nullopt;
  return ReadUpdateList(*document);
}

bool IsFileCurrent(const std::optional<UpdateList>& local_list, std::string_view name, std::string_view version) {
  if (!local_list) return false;
  return std::any_of(local_list->begin(), local_list->end(),
                     [&](const ListedFile& entry) { return entry.name == name && VersionAtLeast(entry.version, version); });
}

}  // namespace dovel::app
