#include "ui/mainframe/main_frame_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QVBoxLayout>

#include <filesystem>

#include "ui/controls/open_browser.h"
#include "ui/mainframe/app_icon.h"
#include "ui/mainframe/window_placement.h"

namespace dovel::ui {
namespace {

constexpr int kRefreshMs = 1000;
constexpr int kZoomDelayMs = 500;
constexpr int kStatusPanelWidth = 230;
constexpr int kStatusLogHeight = 120;
constexpr const char* kDownloadsEnded = "Down_End";

QRect screen_area() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 1024);
}

}  // namespace

CMainFrameWindow::CMainFrameWindow(WindowCore core, WindowOpeners openers, Options options, QWidget* parent)
    : QMainWindow(parent),
      core_(std::move(core)),
      openers_(std::move(openers)),
      options_(options),
      notifier_(std::make_unique<CTaskbarNotifier>()),
      tray_(std::make_unique<CSystemTray>(dovel_icon(), options.use_tray)) {
  setWindowTitle(QStringLiteral("Dovel"));
  setWindowIcon(dovel_icon());
  setMinimumSize(kMinimumWindowWidth, kMinimumWindowHeight);

  auto* centre = new QWidget(this);
  auto* layout = new QVBoxLayout(centre);
  layout->setContentsMargins(4, 4, 4, 4);
  menu_bar_ = new CMainMenuDialog(centre);
  layout->addWidget(menu_bar_);

  auto* body = new QSplitter(Qt::Vertical, centre);
  auto* upper = new QSplitter(Qt::Horizontal, body);
  status_panel_ = new StatusPanel(upper);
  status_panel_->setMinimumWidth(kStatusPanelWidth);
  if (core_.set_server_visibility) status_panel_->on_visibility_switched(core_.set_server_visibility);
  views_ = new QStackedWidget(upper);
  views_->addWidget(new HomeView(views_));
  for (const auto& make_view : {openers_.server_list_view, openers_.search_view, openers_.browse_view, openers_.transfers_view}) {
    QWidget* view = make_view ? make_view(views_) : nullptr;
    views_->addWidget(view != nullptr ? view : new QWidget(views_));
  }
  upper->setStretchFactor(1, 1);
  status_log_view_ = new StatusLogView(core_.status_log, body);
  status_log_view_->setMinimumHeight(kStatusLogHeight / 2);
  body->setStretchFactor(0, 1);
  body->setSizes({kDefaultWindowHeight - kStatusLogHeight, kStatusLogHeight});
  layout->addWidget(body, 1);
  setCentralWidget(centre);

  point_charge_ = new CPointChargeDialog(core_.open_web_page, this);
  // The hashing window follows the hub's runs by itself from now on.
  if (openers_.open_hash_dialog) openers_.open_hash_dialog(this);
  build_main_menu();
  connect_commands();
  show_view(kViewHome);
  restore_placement();
  refresh();
  refresh_timer_.setInterval(kRefreshMs);
  connect(&refresh_timer_, &QTimer::timeout, this, &CMainFrameWindow::refresh);
  refresh_timer_.start();
}

CMainFrameWindow::~CMainFrameWindow() = default;

void CMainFrameWindow::build_main_menu() {
  login_ = main_menu_.addAction(QString::fromUtf8("로그인(&L)"));
  logout_ = main_menu_.addAction(QString::fromUtf8("로그아웃(&O)"));
  auto_login_ = main_menu_.addAction(QString::fromUtf8("자동 로그인(&A)"));
  auto_login_->setCheckable(true);
  download_folder_ = main_menu_.addAction(QString::fromUtf8("다운로드 폴더 열기(&D)"));
  // The settings sheet is a tray command; without a tray the main menu offers it.
  if (!tray_->shown()) settings_ = main_menu_.addAction(QString::fromUtf8("환경 설정(&C)"));
  main_menu_.addSeparator();
  exit_ = main_menu_.addAction(QString::fromUtf8("프로그램 종료(&X)"));
}

void CMainFrameWindow::connect_commands() {
  connect(menu_bar_, &CMainMenuDialog::view_chosen, this, &CMainFrameWindow::show_view);
  connect(menu_bar_, &CMainMenuDialog::main_menu_requested, this, [this](const QPoint& at) {
    update_commands();
    main_menu_.popup(at);
  });
  connect(menu_bar_, &CMainMenuDialog::maximise_toggled, this, [this] { isMaximized() ? showNormal() : showMaximized(); });
  connect(menu_bar_->session_button(), &QToolButton::clicked, this, &CMainFrameWindow::session_command);
  connect(menu_bar_->server_start_button(), &QToolButton::clicked, this, [this] {
    if (core_.start_share_server) core_.start_share_server();
  });
  connect(menu_bar_->download_folder_button(), &QToolButton::clicked, this, &CMainFrameWindow::open_download_folder);

  connect(login_, &QAction::triggered, this, &CMainFrameWindow::open_login_window);
  connect(logout_, &QAction::triggered, this, [this] {
    if (logged_in_ && core_.log_out) core_.log_out();
  });
  connect(auto_login_, &QAction::triggered, this, [this](bool on) {
    if (core_.set_auto_login) core_.set_auto_login(on);
  });
  connect(download_folder_, &QAction::triggered, this, &CMainFrameWindow::open_download_folder);
  if (settings_ != nullptr) connect(settings_, &QAction::triggered, this, &CMainFrameWindow::open_settings);
  connect(exit_, &QAction::triggered, this, [this] {
    if (core_.request_exit) core_.request_exit();
  });

  connect(tray_.get(), &CSystemTray::open_requested, this, &CMainFrameWindow::bring_to_front);
  connect(tray_->download_folder_action(), &QAction::triggered, this, &CMainFrameWindow::open_download_folder);
  connect(tray_->settings_action(), &QAction::triggered, this, &CMainFrameWindow::open_settings);
  connect(tray_->centre_action(), &QAction::triggered, this, &CMainFrameWindow::centre_on_screen);
  connect(tray_->exit_action(), &QAction::triggered, exit_, &QAction::trigger);
  connect(notifier_.get(), &CTaskbarNotifier::clicked, this, &CMainFrameWindow::on_notifier_click);
}

void CMainFrameWindow::restore_placement() {
  const QRect screen = screen_area();
  if (options_.profile == nullptr) {
    resize(kDefaultWindowWidth, kDefaultWindowHeight);
    centre_on_screen();
    return;
  }
  const WindowPlacement placement = read_window_placement(*options_.profile, screen);
  resize(placement.geometry.size());
  if (placement.centred) {
    centre_on_screen();
  } else {
    move(placement.geometry.topLeft());
  }
  if (placement.zoomed) QTimer::singleShot(kZoomDelayMs, this, [this] { setWindowState(windowState() | Qt::WindowMaximized); });
}

void CMainFrameWindow::set_title(const QString& title) { setWindowTitle(title); }

void CMainFrameWindow::show_view(int view) {
  if (view < 0 || view >= views_->count()) return;
  views_->setCurrentIndex(view);
  menu_bar_->mark_view(view);
  refresh();
}

void CMainFrameWindow::bring_to_front() {
  if (isMinimized() || isHidden()) {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  }
  raise();
  activateWindow();
}

void CMainFrameWindow::centre_on_screen() { move(screen_area().center() - QPoint(width() / 2, height() / 2)); }

void CMainFrameWindow::show_transfer_status(const QString& tray_tip, const QString& download, const QString& upload) {
  tray_->set_tip(tray_tip);
  status_panel_->show_transfer_figures(download, upload);
}

void CMainFrameWindow::show_logged_in(bool logged_in) {
  logged_in_ = logged_in;
  update_commands();
}

void CMainFrameWindow::show_server_lists(const service::ServerLists& lists) {
  if (openers_.show_server_lists) openers_.show_server_lists(lists);
  if (lists.online_users) status_panel_->show_online_count(*lists.online_users);
}

void CMainFrameWindow::show_server_start_button(bool shown) { menu_bar_->server_start_button()->setVisible(shown); }

void CMainFrameWindow::show_point_balance(const QString& lines) { status_panel_->show_point_balance(lines); }

void CMainFrameWindow::show_point_shortage() { point_charge_->show_shortage(); }

void CMainFrameWindow::show_online_count(uint32_t users) {
  status_panel_->show_online_count(users);
  if (openers_.show_online_count) openers_.show_online_count(users);
}

void CMainFrameWindow::notify(const QString& kind, const QString& data, const QString& text, bool clickable) {
  if (core_.notify_window_on && !core_.notify_window_on()) return;
  notifier_->Notify(kind, data, text, clickable);
}

void CMainFrameWindow::notify_download_finished(const QString& data, const QString& text) {
  notify(QString::fromUtf8(kDownloadsEnded), data, text, true);
}

// Folder downloads have no list of their own yet, so the pop-up's data (file
// or folder) always brings the download list to the front.
void CMainFrameWindow::on_notifier_click(const QString& kind) {
  if (kind != QString::fromUtf8(kDownloadsEnded)) return;
  bring_to_front();
  show_view(kViewTransferLists);
  if (openers_.show_download_list) openers_.show_download_list();
}

void CMainFrameWindow::refresh() {
  if (core_.hub_status) {
    const mainframe::HubStatus status = core_.hub_status();
    status_panel_->show_status(status);
    logged_in_ = status.logged_in;
  }
  status_log_view_->refresh();
  update_commands();
}

void CMainFrameWindow::update_commands() {
  menu_bar_->show_logged_in(logged_in_);
  menu_bar_->session_button()->setEnabled(logged_in_ ? static_cast<bool>(core_.log_out) : static_cast<bool>(openers_.open_login));
  menu_bar_->server_start_button()->setEnabled(static_cast<bool>(core_.start_share_server));
  const bool folder = static_cast<bool>(core_.download_folder);
  menu_bar_->download_folder_button()->setEnabled(folder);
  login_->setEnabled(!logged_in_ && openers_.open_login);
  logout_->setEnabled(logged_in_ && core_.log_out);
  auto_login_->setEnabled(core_.auto_login && core_.set_auto_login);
  auto_login_->setChecked(core_.auto_login && core_.auto_login());
  download_folder_->setEnabled(folder);
  exit_->setEnabled(static_cast<bool>(core_.request_exit));
  tray_->download_folder_action()->setEnabled(folder);
  tray_->settings_action()->setEnabled(static_cast<bool>(openers_.open_settings));
  if (settings_ != nullptr) settings_->setEnabled(static_cast<bool>(openers_.open_settings));
  tray_->exit_action()->setEnabled(static_cast<bool>(core_.request_exit));
}

void CMainFrameWindow::session_command() {
  if (!logged_in_) {
    open_login_window();
  } else if (core_.log_out) {
    core_.log_out();
  }
}

void CMainFrameWindow::open_settings() {
  if (openers_.open_settings) openers_.open_settings(this);
}

void CMainFrameWindow::open_login_window() {
  if (!logged_in_ && openers_.open_login) openers_.open_login(this);
}

void CMainFrameWindow::open_download_folder() {
  if (!core_.download_folder) return;
  const std::string folder = core_.download_folder();
  std::error_code error;
  if (folder.empty() || !std::filesystem::is_directory(folder, error)) return;
  OpenLocalPath(folder);
}

void CMainFrameWindow::tear_down() {
  if (torn_down_) return;
  torn_down_ = true;
  refresh_timer_.stop();
  notifier_->dismiss();
  tray_->remove();
  if (options_.profile != nullptr) save_window_placement(*options_.profile, *this);
}

// The close box keeps the program running: in the tray where there is one,
// otherwise minimised, so the window stays within reach. Only the exit command
// ends the program.
void CMainFrameWindow::closeEvent(QCloseEvent* event) {
  if (torn_down_) {
    event->accept();
    return;
  }
  event->ignore();
  if (tray_->shown()) {
    hide();
  } else {
    showMinimized();
  }
}

}  // namespace dovel::ui
