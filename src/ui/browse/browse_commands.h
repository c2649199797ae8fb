#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "browse/browser_snapshot.h"
#include "browse/remote_browser.h"
#include "settings/window_values.h"

namespace dovel::ui {

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
  // The sort box's column, ascending; the browser stores the choice (RemoteBrowser::set_sort).
  std::function<void(int column)> set_sort;
  // The move-to-download-tab box; the browser stores the choice (RemoteBrowser::set_move_to_download_tab).
  std::function<void(bool move)> set_move_to_download_tab;
  // Restarts the idle timer (RemoteBrowser::touch).
  std::function<void()> touch;
  // Ends the session (RemoteBrowser::stop_session).
  std::function<void()> stop_session;
  // Explores the last target again (RemoteBrowser::reconnect).
  std::function<void()> reconnect;
  // Empties the explored-ID history, in this window's box and the main window's.
  std::function<void()> clear_history;
  // Where the window's own choices are kept: IntroNoScript and NoNewWindow,
  // read at start and written when changed; ConnectViewIntro, the sort choice
  // and ExploreAutoMoveDownload, read at start (none: their defaults).
  settings::WindowValues* values = nullptr;
  // Opens a page in the desktop's browser (OpenBrowser).
  std::function<bool(const std::string& url)> open_browser;
};

}  // namespace dovel::ui
