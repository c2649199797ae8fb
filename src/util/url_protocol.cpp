#include "util/url_protocol.h"

#include <cstdlib>

#include "platform/atomic_file.h"
#include "platform/data_home.h"
#include "platform/ini_text.h"

namespace dovel::util {
namespace {

constexpr const char* kDesktopFileName = "dovel.desktop";
constexpr const char* kSchemeType = "x-scheme-handler/dovel";

}  // namespace

std::optional<DesktopIntegrationPaths> DesktopIntegrationPathsFromEnvironment() {
  auto xdg = platform::xdg_base_folders([](const char* name) { return std::getenv(name); });
  if (!xdg) return std::nullopt;
  return DesktopIntegrationPaths{xdg->data / "applications", xdg->config / "mimeapps.list"};
}

std::string DesktopExecQuote(const std::string& program) {
  // Inside the quotes, '"', '`', '$' and '\' take a backslash; the value itself
  // then doubles every backslash, and '%' is written "%%".
  std::string quoted = "\"";
  for (char c : program) {
    if (c == '"' || c == '`' || c == '$') {
      quoted += "\\\\";
      quoted += c;
    } else if (c == '\\') {
      quoted += "\\\\\\\\";
    } else if (c == '%') {
      quoted += "%%";
    } else {
      quoted += c;
    }
  }
  quoted += '"';
  return quoted;
}

bool RegisterUrlProtocol(const DesktopIntegrationPaths& paths, const std::filesystem::path& executable) {
  std::string program = executable.string();
  if (program.find_first_of("\r\n") != std::string::npos) return false;
  std::error_code error;
  std::filesystem::create_directories(paths.applications_folder, error);
  if (error) return false;
  std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Dovel\n"
      "Comment=URL: Dovel Protocol\n"
      "Exec=" + DesktopExecQuote(program) + " %u\n"
      "Icon=dovel\n"
      "Terminal=false\n"
      "NoDisplay=true\n"
      "MimeType=" + std::string(kSchemeType) + ";\n";
  if (!platform::write_file_atomically(paths.applications_folder / kDesktopFileName, entry)) return false;

  std::filesystem::create_directories(paths.mimeapps_list.parent_path(), error);
  if (error) return false;
  std::string current;
  if (std::filesystem::exists(paths.mimeapps_list, error)) {
    auto text = platform::read_whole_file(paths.mimeapps_list, 4 * 1024 * 1024);
    if (!text) return false;
    current = std::move(*text);
  }
  return platform::write_file_atomically(paths.mimeapps_list,
                                         platform::with_ini_entry(current, "Default Applications", kSchemeType, kDesktopFileName));
}

}  // namespace dovel::util
