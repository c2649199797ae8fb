#pragma once

#include <QWidget>

#include <functional>
#include <string>

#include "mainframe/main_frame.h"
#include "mainframe/status_log.h"
#include "service/server_directory.h"

namespace dovel::ui {

// The windows of other parts of the client that the main window opens. An
// opener left empty means that window is not there: its commands stay disabled.
struct WindowOpeners {
  // The settings sheet, modal.
  std::function<void(QWidget* parent)> open_settings;
  // The login window, for the user to type an ID and password.
  std::function<void(QWidget* parent)> open_login;
  // The hashing window, made once with the main window as its parent: it shows
  // itself while a hashing run is under way.
  std::function<void(QWidget* parent)> open_hash_dialog;
  // The views 1 to 4 (server list, search, remote browsing, transfers), made
  // with the view stack as their parent; one left empty shows an empty page.
  std::function<QWidget*(QWidget* parent)> server_list_view;
  std::function<QWidget*(QWidget* parent)> search_view;
  std::function<QWidget*(QWidget* parent)> browse_view;
  std::function<QWidget*(QWidget* parent)> transfers_view;
  // New lists of the service's channels, for the server-list view.
  std::function<void(const service::ServerLists& lists)> show_server_lists;
  // The service's count of users online, for the server list's header.
  std::function<void(uint32_t users)> show_online_count;
  // The transfers view with its download list in front (a finished download's pop-up was clicked).
  std::function<void()> show_download_list;
};

// What the main window reads of the core and asks of it. Every member may be
// empty (tests, or a part not there); the window then leaves that piece out.
// Everything is called on the GUI thread.
struct WindowCore {
  std::function<mainframe::HubStatus()> hub_status;
  mainframe::StatusLog* status_log = nullptr;

  // The menu's logout and the menu bar's "end session" (with their questions).
  std::function<void()> log_out;
  // The menu bar's share-server start.
  std::function<void()> start_share_server;
  // The visibility switch of the status panel: show or hide this server in the lists.
  std::function<void(bool shown)> set_server_visibility;
  // The exit command (with its question while transfers run).
  std::function<void()> request_exit;
  // Automatic login: read, and switch (off also forgets the stored password).
  std::function<bool()> auto_login;
  std::function<void(bool on)> set_auto_login;
  // The download folder as stored; whether download completions pop up.
  std::function<std::string()> download_folder;
  std::function<bool()> notify_window_on;
  // A page of the web host, given by its path, in the desktop's browser.
  std::function<void(const std::string& page)> open_web_page;
};

}  // namespace dovel::ui
