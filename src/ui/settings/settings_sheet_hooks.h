#pragma once

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "server/port_check.h"
#include "service/endpoints.h"
#include "settings/shared_folder.h"

class QWidget;

namespace dovel::db {
class Sqlite3Connection;
}

namespace dovel::ui {

// Asks the user for a folder: the window, the picker's title and the folder it
// starts in; nullopt when the user cancelled.
using FolderPicker = std::function<std::optional<std::string>(QWidget* parent, const QString& title, const std::string& start)>;

// What the settings pages need from the rest of the program. An empty function
// means the program has no such part running: the page then skips that step
// (a send to a service that is not connected, for example).
struct SettingsSheetHooks {
  FolderPicker pick_folder;
  // Opens a folder or a file with the desktop's opener.
  std::function<void(const std::string& path)> open_path;
  // Where "intro.html", the local introduction page, lives.
  std::filesystem::path program_folder;
  // The service's web host ("http://host:port"): an introduction address must not name it.
  std::string web_base;

  // The port page's test.
  service::ServiceEndpoints port_test_endpoints;
  server::PortTestTiming port_test_timing;

  // The desktop's autostart entry for this program and the program it starts.
  std::filesystem::path autostart_entry;
  std::filesystem::path executable;

  // The shared-files database: moving a shared folder renumbers its rows at once.
  // Null disables moving.
  db::Sqlite3Connection* share_database = nullptr;
  std::function<bool()> hashing_active;

  // Sends the memo choice to the login service; true when it was sent.
  std::function<bool(bool allow_memo)> send_allow_memo;
  std::function<void(const std::string& title)> send_server_subject;
  std::function<void(bool ultra_turbo)> send_ultra_turbo;
  // The main window's own UltraTurbo box and caption follow the settings.
  std::function<void(bool ultra_turbo)> ultra_turbo_changed;
  // The main window starts a full hashing run after the list's content changed.
  std::function<void()> start_full_hashing;
  // The free-space display shows the download folder's drive.
  std::function<void(const std::string& down_path)> show_free_space;
  // The protected-works search over the folders anyone may search.
  std::function<void(const std::vector<settings::SharedFolder>& folders)> search_protected_works;
};

}  // namespace dovel::ui
