#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "browse/browser_snapshot.h"
#include "browse/remote_browser.h"

namespace dovel::ui {

// The stored values the browse window reads at start and writes back when the
// user changes them; the names are those of the settings.
inline constexpr const char* kConnectViewIntroValue = "ConnectViewIntro";       // section "dovel", default 0
inline constexpr const char* kSortChoiceValue = "remotelistautosort";           // section "dovel", default 0
inline constexpr const char* kIntroNoScriptValue = "IntroNoScript";             // section "Setting", default 1
inline constexpr const char* kNoNewWindowValue = "NoNewWindow";                 // section "Setting", default 1
inline constexpr const char* kAutoMoveDownloadValue = "ExploreAutoMoveDownload"; // section "Setting", default 0

// Everything the remote-browsing window reads and does, so that it never holds
// the core itself. An empty member means the command is not there: its button
// or menu item is disabled.
struct BrowseCommands {
  // The browser's state now (RemoteBrowser::snapshot).
  std::function<browse::BrowserSnapshot()> snapshot;
  // Explores a user ID from the connect box with an origin code (RemoteBrowser::explore_user).
  std::function<void(const std::string& user_id, int origin)> explore_user;
  // Opens a row by its name: enters a folder or share, queues a file, ".." goes up (RemoteBrowser::open_entry).
  std::function<bool(const std::string& name, const browse::OpenOptions& options)> open_entry;
  // Queues files of the current folder by name, optionally into a sub-folder (RemoteBrowser::request_downloads).
  std::function<size_t(const std::vector<std::string>& names, const std::string& sub_folder)> request_downloads;
  // Asks the server for a file's information (RemoteBrowser::request_file_info).
  std::function<bool(const std::string& name)> request_file_info;
  // Asks the server for a file's link; the reply goes to the clipboard (RemoteBrowser::request_file_link).
  std::function<bool(const std::string& name)> request_file_link;
  // A folder of the current folder by name, or the current folder when empty (RemoteBrowser::request_folder_download).
  std::function<bool(const std::string& folder_name)> request_folder_download;
  // The sort box's column, ascending (RemoteBrowser::set_sort).
  std::function<void(int column)> set_sort;
  // The move-to-download-tab box (RemoteBrowser::set_move_to_download_tab).
  std::function<void(bool move)> set_move_to_download_tab;
  // Restarts the idle timer (RemoteBrowser::touch).
  std::function<void()> touch;
  // Ends the session (RemoteBrowser::stop_session).
  std::function<void()> stop_session;
  // Explores the last target again (RemoteBrowser::reconnect).
  std::function<void()> reconnect;
  // Empties the explored-ID history, in this window's box and the main window's.
  std::function<void()> clear_history;
  // Reads a stored value by one of the names above, with its default.
  std::function<int(const std::string& name, int fallback)> read_setting;
  // Stores a value by one of the names above.
  std::function<void(const std::string& name, int value)> write_setting;
  // Opens a page in the desktop's browser (OpenBrowser).
  std::function<bool(const std::string& url)> open_browser;
};

}  // namespace dovel::ui
