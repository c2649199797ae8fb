#include "ui/app/desktop_windows.h"

#include "app/dovel_app.h"
#include "db/sqlite3_connection.h"
#include "mainframe/main_frame.h"
#include "ui/controls/download_folder_picker.h"
#include "ui/controls/open_browser.h"
#include "ui/settings/autostart_entry.h"
#include "ui/share/hash_dialog.h"
#include "util/log_files.h"

namespace dovel::ui {
namespace {

// A full run over every shared folder that leaves the share server running:
// the server reads the folder list on every request, so a changed list needs
// no restart, and one would cut every browse and upload. At the run's end the
// hub only sends the new totals and announces the files again.
constexpr int kRunKeepingTheServer = 0;
constexpr QSize kSettingsSheetSize(640, 480);

FolderPicker folder_picker() {
  return [chooser = folder_dialog_chooser()](QWidget* parent, const QString& title, const std::string& start) -> std::optional<std::string> {
    const std::optional<QString> chosen = chooser(parent, title, QString::fromStdString(start));
    if (!chosen) return std::nullopt;
    return chosen->toStdString();
  };
}


}  // namespace

DesktopWindows::DesktopWindows(app::CDovelApp& application, std::filesystem::path program_folder, std::filesystem::path executable,
                               MessageSink& messages)
    : application_(application),
      hub_(application.main_frame()),
      program_folder_(std::move(program_folder)),
      executable_(std::move(executable)),
      messages_(messages),
      window_values_(application.settings().registry(), application.profile()),
      relay_(hub_, [this](const std::string& user_id, const std::string& password, bool auto_login) {
        hub_.log_in(user_id, password, auto_login);
      }) {}

DesktopWindows::~DesktopWindows() {
  service_sends_.stop();
  if (login_) delete login_.data();
}

WindowOpeners DesktopWindows::openers() {
  WindowOpeners openers;
  openers.open_settings = [this](QWidget* parent) { make_settings_sheet(parent)->exec(); };
  openers.open_login = [this](QWidget* parent) { open_login(parent); };
  openers.open_hash_dialog = [this](QWidget* parent) {
    new CHashDialog([this] { return hub_.status(); }, [this] { hub_.hashing().cancel(); }, parent);
  };
  return openers;
}

CServerStatusDialog* DesktopWindows::make_upload_pane(QWidget* parent) {
  upload_pane_ = new CServerStatusDialog(hub_.upload_monitor(), upload_commands(), messages_, parent);
  return upload_pane_.data();
}

std::unique_ptr<CSettingsSheet> DesktopWindows::make_settings_sheet(QWidget* parent) {
  auto sheet = std::make_unique<CSettingsSheet>(application_.settings(), messages_, settings_hooks(), parent);
  // Room for the shared folders' paths without cutting them at once.
  sheet->resize(sheet->sizeHint().expandedTo(kSettingsSheetSize));
  return sheet;
}

CLoginDialog* DesktopWindows::open_login(QWidget* parent) {
  if (hub_.session().logged_in()) return nullptr;
  if (!login_) {
    login_ = make_login_dialog(parent).release();
    login_->setAttribute(Qt::WA_DeleteOnClose);
  }
  login_->show();
  login_->raise();
  login_->activateWindow();
  return login_;
}

std::unique_ptr<CLoginDialog> DesktopWindows::make_login_dialog(QWidget* parent, bool connects) {
  LoginDialogSetup setup;
  setup.registry = &application_.settings().registry();
  if (connects) setup.connect = relay_.connector();
  setup.messages = &messages_;
  setup.open_page = [web_base = application_.endpoints().web_base](const std::string& page) { OpenBrowser(web_base + page); };
  return std::make_unique<CLoginDialog>(std::move(setup), parent);
}

SettingsSheetHooks DesktopWindows::settings_hooks() {
  SettingsSheetHooks hooks;
  hooks.pick_folder = folder_picker();
  hooks.open_path = [](const std::string& path) { OpenLocalPath(path); };
  hooks.program_folder = program_folder_;
  hooks.web_base = application_.endpoints().web_base;
  hooks.port_test_endpoints = application_.endpoints();
  if (std::optional<std::filesystem::path> entry = autostart_entry_from_environment()) hooks.autostart_entry = *entry;
  hooks.executable = executable_;
  hooks.share_database = share_database();
  hooks.hashing_active = [this] { return hub_.hashing().active(); };
  hooks.send_allow_memo = [this](bool allow_memo) { return hub_.auth().send_memo_flag(allow_memo); };
  hooks.send_server_subject = [this](const std::string& title) {
    service_sends_.run([this, title] { hub_.registration().send_title(title); });
  };
  hooks.send_ultra_turbo = [this](bool ultra_turbo) {
    service_sends_.run([this, ultra_turbo] { hub_.registration().send_ultra_turbo(ultra_turbo); });
  };
  hooks.start_full_hashing = [this] { hub_.hashing().start_hash_run(kRunKeepingTheServer); };
  return hooks;
}

UploadPaneCommands DesktopWindows::upload_commands() {
  UploadPaneCommands commands;
  server::LocalServer& server = hub_.local_server();
  commands.disconnect_peer = [&server](uint64_t peer_id) { return server.disconnect_control(peer_id); };
  commands.close_upload = [&server](uint64_t upload_id) { return server.close_upload(upload_id); };
  commands.values = &window_values_;
  return commands;
}

// The shared-files rows live in the data database; the settings sheet renumbers
// them through a connection of its own, as the hub's other workers do.
db::Sqlite3Connection* DesktopWindows::share_database() {
  if (share_database_ != nullptr) return share_database_.get();
  auto connection = std::make_unique<db::Sqlite3Connection>();
  try {
    connection->Open(program_folder_ / "DovelData.dat");
  } catch (const db::CppSQLite3Exception& error) {
    util::LogSystem("공유 파일 데이터베이스를 열 수 없습니다: %s", error.what());
    return nullptr;
  }
  share_database_ = std::move(connection);
  return share_database_.get();
}

}  // namespace dovel::ui
