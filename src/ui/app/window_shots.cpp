// The application's headers first: some core names must be seen before Qt's
// keyword macros are defined.
#include "app/dovel_app.h"
#include "ui/app/window_shots.h"

#include <QTabWidget>

#include <array>
#include <memory>

#include "server/startup_port_check.h"
#include "ui/app/splash_screen.h"
#include "ui/mainframe/main_views.h"
#include "ui/settings/share_folder_dialog.h"

namespace dovel::ui {
namespace {

constexpr std::array<const char*, 4> kSettingsPageFiles = {"settings-1-general.png", "settings-2-folders.png", "settings-3-port.png",
                                                           "settings-4-other.png"};

void delete_widget(QWidget* shown) { delete shown; }

}  // namespace

void add_window_shots(ScreenshotRun& run, CMainFrameWindow& window, DesktopWindows& windows, app::CDovelApp& application) {
  run.add_shot({QStringLiteral("splash.png"),
                [&application]() -> QWidget* {
                  auto* shown = new CSplashScreen;
                  const auto port = static_cast<uint16_t>(application.settings().values().share_port);
                  shown->set_status_text(QString::fromStdString(server::port_check_waiting_note(port)));
                  shown->show_now();
                  return shown;
                },
                delete_widget, {}});
  run.add_shot({QStringLiteral("point-shortage.png"),
                [&window]() -> QWidget* {
                  window.show_point_shortage();
                  return &window.point_charge_dialog();
                },
                [](QWidget* shown) { shown->hide(); }, {}});

  for (size_t page = 0; page < kSettingsPageFiles.size(); ++page) {
    run.add_shot({QString::fromUtf8(kSettingsPageFiles[page]),
                  [&window, &windows, page]() -> QWidget* {
                    settings::CSettingsSheet* sheet = windows.make_settings_sheet(&window).release();
                    sheet->tabs()->setCurrentIndex(static_cast<int>(page));
                    sheet->show();
                    return sheet;
                  },
                  delete_widget, {}});
  }

  run.add_shot({QStringLiteral("share-folder.png"),
                [&window, &windows, &application]() -> QWidget* {
                  const std::vector<share::SharedFolder> rows = application.settings().shared_folders();
                  if (rows.empty()) return nullptr;
                  auto* dialog = new settings::CShareFolderDialog(windows.messages(), windows.settings_hooks().pick_folder,
                                                                  share::EntryMode::Modify, rows, rows.front(), &window);
                  dialog->show();
                  return dialog;
                },
                delete_widget, {}});

  run.add_shot({QStringLiteral("login.png"),
                [&window, &windows]() -> QWidget* {
                  CLoginDialog* dialog = windows.make_login_dialog(&window, false).release();
                  dialog->show();
                  return dialog;
                },
                delete_widget, {}});

  mainframe::CMainFrame& hub = application.main_frame();
  run.add_shot({QStringLiteral("upload-monitor.png"),
                [&window, &windows]() -> QWidget* {
                  window.show_view(kViewTransferLists);
                  window.refresh();
                  if (CServerStatusDialog* pane = windows.upload_pane()) pane->refresh();
                  return &window;
                },
                {},
                [&hub] { return !hub.status().uploads.empty(); }});
}

}  // namespace dovel::ui
