#pragma once

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QStackedWidget>
#include <QTimer>

#include <memory>

#include "platform/profile_ini.h"
#include "service/server_directory.h"
#include "ui/mainframe/main_menu_bar.h"
#include "ui/mainframe/main_views.h"
#include "ui/mainframe/point_charge_dialog.h"
#include "ui/mainframe/status_panel.h"
#include "ui/mainframe/system_tray.h"
#include "ui/mainframe/taskbar_notifier.h"
#include "ui/mainframe/window_hooks.h"

namespace dovel::ui {

// The main window: the menu bar with its view buttons, the status panel, the
// five views shown one at a time, the status log view, the main menu, the tray
// icon and the pop-up notifier. It shows what the hub tells it (through the
// front) and hands the user's commands to the core.
class CMainFrameWindow final : public QMainWindow {
  Q_OBJECT

 public:
  struct Options {
    // False keeps the tray icon away even where the desktop has a tray.
    bool use_tray = true;
    // Where the placement is kept; none: the window is centred and nothing is saved.
    platform::ProfileIni* profile = nullptr;
  };

  CMainFrameWindow(WindowCore core, WindowOpeners openers, Options options, QWidget* parent = nullptr);
  ~CMainFrameWindow() override;

  void set_title(const QString& title);
  void show_view(int view);
  // The login window, when there is one.
  void open_login_window();
  // The settings sheet, when there is one.
  void open_settings();
  int current_view() const { return views_->currentIndex(); }
  // Restores the window when minimised or hidden and brings it to the front.
  void bring_to_front();
  void centre_on_screen();
  void show_transfer_status(const QString& tray_tip, const QString& download, const QString& upload);
  void show_logged_in(bool logged_in);
  void show_server_lists(const service::ServerLists& lists);
  void show_server_start_button(bool shown);
  void show_point_balance(const QString& lines);
  void show_point_shortage();
  void show_online_count(uint32_t users);
  // The notifier, when the user wants pop-ups.
  void notify(const QString& kind, const QString& data, const QString& text, bool clickable);
  // A download ended: "… 파일다운이 완료되었습니다." (data "file") or the folder's text (data "folder").
  void notify_download_finished(const QString& data, const QString& text);
  // Brings the status panel, the log view and the commands up to date (the
  // views follow the core by themselves).
  void refresh();
  // The window's last moments: the placement is saved, the tray icon goes, and
  // closing the window closes it for good.
  void tear_down();

  CSystemTray& tray() { return *tray_; }
  CTaskbarNotifier& notifier() { return *notifier_; }
  CMainMenuDialog& menu_bar() { return *menu_bar_; }
  QMenu& main_menu() { return main_menu_; }
  StatusPanel& status_panel() { return *status_panel_; }
  StatusLogView& status_log_view() { return *status_log_view_; }
  QWidget* view(int view) const { return views_->widget(view); }
  CPointChargeDialog& point_charge_dialog() { return *point_charge_; }
  QAction* login_action() const { return login_; }
  QAction* logout_action() const { return logout_; }
  QAction* auto_login_action() const { return auto_login_; }
  // Only without a tray; null otherwise.
  QAction* settings_action() const { return settings_; }
  QAction* exit_action() const { return exit_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build_main_menu();
  void connect_commands();
  void restore_placement();
  void update_commands();
  void session_command();
  void open_download_folder();
  void on_notifier_click(const QString& kind);

  WindowCore core_;
  WindowOpeners openers_;
  Options options_;
  bool logged_in_ = false;
  bool torn_down_ = false;

  CMainMenuDialog* menu_bar_;
  StatusPanel* status_panel_;
  StatusLogView* status_log_view_;
  QStackedWidget* views_;
  CPointChargeDialog* point_charge_;
  std::unique_ptr<CTaskbarNotifier> notifier_;
  std::unique_ptr<CSystemTray> tray_;
  QMenu main_menu_;
  QAction* login_ = nullptr;
  QAction* logout_ = nullptr;
  QAction* auto_login_ = nullptr;
  QAction* download_folder_ = nullptr;
  QAction* settings_ = nullptr;
  QAction* exit_ = nullptr;
  QTimer refresh_timer_;
};

}  // namespace dovel::ui
