#pragma once

#include <QPointer>

#include <filesystem>
#include <memory>

#include "core/task_worker.h"
#include "settings/window_values.h"
#include "ui/controls/message_sink.h"
#include "ui/mainframe/window_hooks.h"
#include "ui/server/server_status_dialog.h"
#include "ui/service/login_dialog.h"
#include "ui/service/sign_in_relay.h"
#include "ui/settings/settings_sheet.h"
#include "ui/settings/settings_sheet_hooks.h"

namespace dovel::app {
class CDovelApp;
}

namespace dovel::db {
class Sqlite3Connection;
}

namespace dovel::mainframe {
class CMainFrame;
}

namespace dovel::ui {

// The windows the main window opens, made over the running application: the
// settings sheet, the login window, the hashing window and the upload monitor
// pane. It also stands between the message loop and the hub, so that the login
// window learns how its login ended. GUI thread only; the application (with its
// hub) outlives it.
class DesktopWindows {
 public:
  // `program_folder` is the data home; `executable` is what the autostart entry
  // starts. The windows' boxes go to `messages`, which outlives this.
  DesktopWindows(app::CDovelApp& application, std::filesystem::path program_folder, std::filesystem::path executable,
                 MessageSink& messages);
  ~DesktopWindows();
  DesktopWindows(const DesktopWindows&) = delete;
  DesktopWindows& operator=(const DesktopWindows&) = delete;

  // Attach this to the message loop in the hub's place.
  core::MessageHandler& message_handler() { return relay_; }
  WindowOpeners openers();

  // The settings sheet over the application's settings; the caller shows it and owns it.
  std::unique_ptr<CSettingsSheet> make_settings_sheet(QWidget* parent);
  // The one login window, shown (not modal); none while the session is open.
  // The window deletes itself when closed.
  CLoginDialog* open_login(QWidget* parent);
  CLoginDialog* login_window() const { return login_; }
  // A login window over the stored login, not yet shown; the caller owns it.
  // With `connects` false its "connect" does nothing (the window is only to be
  // looked at), so a stored automatic login is not started from it either.
  std::unique_ptr<CLoginDialog> make_login_dialog(QWidget* parent, bool connects = true);
  // The upload monitor pane of the transfers view; its parent owns it.
  CServerStatusDialog* make_upload_pane(QWidget* parent);
  // The upload monitor pane, once made.
  CServerStatusDialog* upload_pane() const { return upload_pane_; }

  SettingsSheetHooks settings_hooks();
  // Where the windows made here show their boxes.
  MessageSink& messages() const { return messages_; }
  // Where the windows keep their own values: the settings key and the profile file.
  settings::WindowValues& window_values() { return window_values_; }
  UploadPaneCommands upload_commands();

 private:
  db::Sqlite3Connection* share_database();

  app::CDovelApp& application_;
  mainframe::CMainFrame& hub_;
  const std::filesystem::path program_folder_;
  const std::filesystem::path executable_;
  MessageSink& messages_;
  settings::StoredWindowValues window_values_;
  SignInRelay relay_;
  QPointer<CLoginDialog> login_;
  QPointer<CServerStatusDialog> upload_pane_;
  std::unique_ptr<db::Sqlite3Connection> share_database_;
  // The sends to the registration service wait for its connection, which the
  // hub's service worker may hold through a whole exchange: never on the GUI thread.
  core::TaskWorker service_sends_;
};

}  // namespace dovel::ui
