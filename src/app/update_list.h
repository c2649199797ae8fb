#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dovel::app {

// One `file` element of an update list ("update.xml"); attributes as text, a
// missing one empty. `exec` is not used by this program.
struct ListedFile {
  std::string name;        // relative to the program folder, "/" between folders
  std::string version;
  std::string check_size;  // unless exactly "false", a missing or empty file is out of date
  bool operator==(const ListedFile&) const = default;
};

using UpdateList = std::vector<ListedFile>;

inline constexpr std::string_view kLocalUpdateListFile = "update.xml";

// Every `file` element anywhere in the document, in document order; nullopt
// when the document cannot be read.
std::optional<UpdateList> ReadUpdateList(std::string_view document);

// The copy of the update list in the program folder ("update.xml"), which this
// program only reads; nullopt when it is missing, too large or unreadable.
std::optional<UpdateList> LoadLocalUpdateList(const std::filesystem::path& program_folder);

// True when the local list holds an entry whose name is exactly `name` (the
// remote list's text, "/" separators and case as they stand) and whose version
// is `version` or newer (VersionAtLeast). Without a local list, nothing is
// current. The name is compared in code, never put into a query.
bool IsFileCurrent(const std::optional<UpdateList>& local_list, std::string_view name, std::string_view version);

}  // namespace dovel::app
