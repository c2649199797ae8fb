#include "ui/app/window_shots.h"

#include <QTabWidget>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <memory>

#include "app/dovel_app.h"
#include "server/startup_port_check.h"
#include "ui/app/splash_screen.h"
#include "ui/download/down_status_dialog.h"
#include "ui/mainframe/main_views.h"
#include "ui/search/search_dialog.h"
#include "ui/search/search_list_ctrl.h"
#include "ui/settings/share_folder_dialog.h"

namespace dovel::ui {
namespace {

// The scene scripts/screenshots sets up: three large files ("movie-1.mkv" ...),
// each shared by two servers (one of them "carol") in a share "movies".
constexpr const char* kSceneKeyword = "movie";
constexpr const char* kScenePeer = "carol";
constexpr const char* kSceneShare = "movies";
constexpr size_t kSceneServers = 3;
constexpr size_t kSceneDownloads = 3;

constexpr std::array<const char*, 4> kSettingsPageFiles = {"settings-1-general.png", "settings-2-folders.png", "settings-3-port.png",
                                                           "settings-4-other.png"};

void delete_widget(QWidget* shown) { delete shown; }

size_t listed_servers(CServerListDialog& list) {
  return static_cast<size_t>(list.model().rowCount());
}

// The latest search's rows of files that more than one server has.
std::vector<search::ResultRow> shared_results(const search::SearchClient& search) {
  std::vector<search::ResultRow> rows;
  if (const std::optional<search::ResultSnapshot> results = search.results()) {
    for (const search::ResultRow& row : results->rows) {
      if (!row.hash.empty() && row.sources.size() > 1) rows.push_back(row);
    }
  }
  return rows;
}

// The user's way: every result selected in the search list and downloaded.
void download_search_results(CTotalSearchDialog& search) {
  CSearchListCtrl* list = search.search_window()->current_list();
  if (list == nullptr) return;
  list->selectAll();
  list->run(CSearchListCtrl::Command::Download);
}

// The scene's downloads all transfer over their connections, past their first second.
bool downloads_flowing(download::DownloadManager& downloads) {
  size_t flowing = 0;
  for (const download::ListRow& row : downloads.snapshot()) {
    const download::ItemSnapshot& item = row.item;
    if (item.state == download::ItemState::Transferring && !item.connections.empty() && item.current_speed > 0) ++flowing;
  }
  return flowing >= kSceneDownloads;
}

// Walks into the scene's share once the top level is shown; true when its files are listed.
bool share_listed(browse::RemoteBrowser& browser) {
  const browse::BrowserSnapshot snapshot = browser.snapshot();
  if (!snapshot.connected) return false;
  if (snapshot.current_path.empty()) {
    for (const browse::ListingRow& row : snapshot.rows) {
      if (row.name == kSceneShare) browser.open_entry(row.name);
    }
    return false;
  }
  return std::any_of(snapshot.rows.begin(), snapshot.rows.end(), [](const browse::ListingRow& row) { return row.is_file(); });
}

}  // namespace

void add_window_shots(ScreenshotRun& run, CMainFrameWindow& window, DesktopWindows& windows, DesktopViews& views,
                      app::CDovelApp& application) {
  run.add_shot({QStringLiteral("splash.png"),
                [&application]() -> QWidget* {
                  auto* shown = new CSplashScreen;
                  const auto port = static_cast<uint16_t>(application.settings().values().share_port);
                  shown->set_status_text(QString::fromStdString(server::port_check_waiting_note(port)));
                  shown->show_now();
                  return shown;
                },
                delete_widget, {}, {}});
  run.add_shot({QStringLiteral("point-shortage.png"),
                [&window]() -> QWidget* {
                  window.show_point_shortage();
                  return &window.point_charge_dialog();
                },
                [](QWidget* shown) { shown->hide(); }, {}, {}});

  for (size_t page = 0; page < kSettingsPageFiles.size(); ++page) {
    run.add_shot({QString::fromUtf8(kSettingsPageFiles[page]),
                  [&window, &windows, page]() -> QWidget* {
                    CSettingsSheet* sheet = windows.make_settings_sheet(&window).release();
                    sheet->tabs()->setCurrentIndex(static_cast<int>(page));
                    sheet->show();
                    return sheet;
                  },
                  delete_widget, {}, {}});
  }

  run.add_shot({QStringLiteral("share-folder.png"),
                [&window, &windows, &application]() -> QWidget* {
                  const std::vector<settings::SharedFolder> rows = application.settings().shared_folders();
                  if (rows.empty()) return nullptr;
                  auto* dialog = new CShareFolderDialog(windows.messages(), windows.settings_hooks().pick_folder,
                                                                  share::EntryMode::Modify, rows, rows.front(), &window);
                  dialog->show();
                  return dialog;
                },
                delete_widget, {}, {}});

  run.add_shot({QStringLiteral("login.png"),
                [&window, &windows]() -> QWidget* {
                  CLoginDialog* dialog = windows.make_login_dialog(&window, false).release();
                  dialog->show();
                  return dialog;
                },
                delete_widget, {}, {}});

  mainframe::CMainFrame& hub = application.main_frame();
  run.add_shot({QStringLiteral("upload-monitor.png"),
                [&window, &windows, &views]() -> QWidget* {
                  window.show_view(kViewTransferLists);
                  if (CTotalStatusDialog* transfers = views.transfers()) transfers->show_child(CTotalStatusDialog::Child::Uploads);
                  window.refresh();
                  if (CServerStatusDialog* pane = windows.upload_pane()) pane->refresh();
                  return &window;
                },
                {},
                [&hub] { return !hub.status().uploads.empty(); },
                {}});

  run.add_shot({QStringLiteral("server-list.png"),
                [&window]() -> QWidget* {
                  window.show_view(kViewServers);
                  return &window;
                },
                {},
                [&views] {
                  CServerListDialog* list = views.server_list();
                  return list != nullptr && !list->refreshing() && listed_servers(*list) >= kSceneServers;
                },
                [&views] {
                  if (CServerListDialog* list = views.server_list()) list->request_lists();
                }});

  search::SearchClient& search = application.search().client();
  run.add_shot({QStringLiteral("search.png"),
                [&window]() -> QWidget* {
                  window.show_view(kViewSearchResults);
                  return &window;
                },
                {},
                [&search] { return shared_results(search).size() >= kSceneDownloads; },
                [&views] {
                  if (CTotalSearchDialog* view = views.search()) {
                    view->set_keyword(QString::fromUtf8(kSceneKeyword));
                    view->search();
                  }
                }});

  browse::RemoteBrowser& browser = application.downloads().browser();
  run.add_shot({QStringLiteral("browse.png"),
                [&window]() -> QWidget* {
                  window.show_view(kViewBrowse);
                  return &window;
                },
                {},
                [&browser] { return share_listed(browser); },
                [&browser] { browser.explore_user(kScenePeer, browse::kNoOrigin); }});

  download::DownloadManager& downloads = application.downloads().manager();
  run.add_shot({QStringLiteral("downloads.png"),
                [&window, &views]() -> QWidget* {
                  window.show_view(kViewTransferLists);
                  if (CTotalStatusDialog* transfers = views.transfers()) {
                    transfers->show_child(CTotalStatusDialog::Child::Downloads);
                    transfers->download_window()->refresh();
                    transfers->download_window()->list()->expandAll();
                  }
                  return &window;
                },
                {},
                [&downloads] { return downloads_flowing(downloads); },
                [&views] {
                  if (CTotalSearchDialog* search = views.search()) download_search_results(*search);
                }});
}

}  // namespace dovel::ui
