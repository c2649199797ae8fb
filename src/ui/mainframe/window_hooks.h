#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "browse/browser_snapshot.h"
#include "download/download_manager.h"
#include "mainframe/main_frame.h"
#include "mainframe/status_log.h"
#include "search/result_tabs.h"

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
  // The upload monitor pane shown in the transfer view in place of its plain
  // upload list; the main window takes ownership of what it returns.
  std::function<QWidget*(QWidget* parent)> upload_monitor_widget;
};

// What the main window reads of the core and asks of it. Every member may be
// empty (tests, or a part not there); the window then leaves that piece out.
// Everything is called on the GUI thread.
struct WindowCore {
  std::function<mainframe::HubStatus()> hub_status;
  mainframe::StatusLog* status_log = nullptr;
  std::function<std::vector<download::ListRow>()> download_rows;
  std::function<std::optional<search::ResultSnapshot>()> search_results;
  std::function<browse::BrowserSnapshot()> browser_snapshot;

  // The menu's logout and the menu bar's "end session" (with their questions).
  std::function<void()> log_out;
  // The menu bar's share-server start.
  std::function<void()> start_share_server;
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
