#pragma once

#include <filesystem>
#include <optional>

namespace dovel::util {

// Where the desktop looks for applications and their URL-scheme associations.
struct DesktopIntegrationPaths {
  std::filesystem::path applications_folder;  // ~/.local/share/applications
  std::filesystem::path mimeapps_list;        // ~/.config/mimeapps.list
};

// The XDG locations of the current user; nullopt when neither the XDG
// variables nor HOME are set.
std::optional<DesktopIntegrationPaths> DesktopIntegrationPathsFromEnvironment();

// Makes `executable` the handler of dovel:// links: writes "dovel.desktop" with
// the x-scheme-handler/dovel type and names it the default handler in
// mimeapps.list (other lines of that file are kept). Each file is replaced atomically.
bool RegisterUrlProtocol(const DesktopIntegrationPaths& paths, const std::filesystem::path& executable);

// The Exec= argument for a program path, quoted as desktop entries require.
std::string DesktopExecQuote(const std::string& program);

}  // namespace dovel::util
