#include "app/listed_file_path.h"

#include <string>

#include "platform/safe_path.h"

namespace dovel::app {
namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::optional<std::filesystem::path> ListedFilePath(const std::filesystem::path& program_folder, std::string_view name) {
  if (name.empty() || name.size() > kMaxListedNameBytes) return std::nullopt;
  if (is_separator(name.front()) || is_separator(name.back()) || name.find(':') != std::string_view::npos) return std::nullopt;
  std::string wire_path(name);
  for (char& c : wire_path) {
    if (c == '/') c = '\\';
  }
  platform::ResolvedPath resolved = platform::resolve_below(program_folder, wire_path);
  if (!resolved) return std::nullopt;
  return resolved.path;
}

}  // namespace dovel::app
