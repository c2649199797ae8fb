#include "ui/app/desktop_views.h"

#include "app/dovel_app.h"
#include "browse/server_info_query.h"
#include "core/message_ids.h"
#include "download/download_speed_limit.h"
#include "ui/app/desktop_browser_front.h"
#include "ui/app/desktop_windows.h"
#include "ui/browse/connect_dialog.h"
#include "ui/controls/open_browser.h"
#include "ui/download/down_status_dialog.h"
#include "ui/download/log_folders.h"
#include "ui/download/total_status_dialog.h"
#include "ui/search/recommend_page.h"
#include "ui/search/total_search_dialog.h"
#include "ui/serverlist/server_list_dialog.h"
#include "util/log_files.h"

namespace dovel::ui {
namespace {

bool privileged(const service::ServiceSession& session) {
  const service::SessionRecord record = session.record();
  return record.privilege_a != 0 || record.privilege_b != 0;
}

// A server from one of the lists, with the list to go back to.
void explore_listed_server(browse::RemoteBrowser& browser, const std::string& address, uint16_t port, const std::string& peer_id,
                           int origin) {
  const std::optional<platform::Ipv4> parsed = platform::parse_ipv4(address);
  if (!parsed) return;
  browse::SessionRequest request;
  request.address = *parsed;
  request.port = port;
  request.peer_id = peer_id;
  request.origin = origin;
  browser.start_session(request);
}

}  // namespace

DesktopViews::DesktopViews(app::CDovelApp& application, DesktopWindows& windows, DesktopBrowserFront& browser_front,
                           core::MessageTarget& loop)
    : application_(application),
      windows_(windows),
      browser_front_(browser_front),
      loop_(loop),
      changes_(application.downloads().manager(), application.downloads().browser(), application.search()) {}

DesktopViews::~DesktopViews() {
  browser_front_.set_password_prompt({});
  browser_front_.set_box_parent(nullptr);
}

void DesktopViews::add_to(WindowOpeners& openers) {
  openers.server_list_view = [this](QWidget* parent) -> QWidget* {
    server_list_ = new CServerListDialog(server_list_commands(), windows_.messages(), parent);
    return server_list_.data();
  };
  openers.search_view = [this](QWidget* parent) -> QWidget* {
    search_ = new CTotalSearchDialog(search_commands(), windows_.messages(), parent);
    QObject::connect(&changes_, &CoreChangeSignals::search_changed, search_.data(), &CTotalSearchDialog::refresh);
    return search_.data();
  };
  openers.browse_view = [this](QWidget* parent) -> QWidget* {
    browse_ = new CConnectDialog(browse_commands(), windows_.messages(), parent);
    QObject::connect(&changes_, &CoreChangeSignals::browser_changed, browse_.data(), &CConnectDialog::refresh);
    browser_front_.set_password_prompt([view = browse_] { return view ? view->ask_folder_password() : std::nullopt; });
    browser_front_.set_box_parent(browse_.data());
    return browse_.data();
  };
  openers.transfers_view = [this](QWidget* parent) -> QWidget* {
    transfers_ = new CTotalStatusDialog(download_commands(), windows_.messages(), windows_.make_upload_pane(parent), parent);
    QObject::connect(&changes_, &CoreChangeSignals::downloads_changed, transfers_->download_window(), &CDownStatusDialog::refresh);
    return transfers_.data();
  };
  openers.show_server_lists = [this](const service::ServerLists& lists) {
    if (server_list_) server_list_->show_lists(lists);
  };
  openers.show_online_count = [this](uint32_t users) {
    if (server_list_) server_list_->set_online_users(users);
  };
  openers.show_download_list = [this] {
    if (transfers_) transfers_->show_child(CTotalStatusDialog::Child::Downloads);
  };
}

void DesktopViews::show_view(int view) { loop_.post({core::UM_SHOW_VIEW, static_cast<uint64_t>(view), 0, nullptr}); }

BrowseCommands DesktopViews::browse_commands() {
  browse::RemoteBrowser& browser = application_.downloads().browser();
  BrowseCommands commands;
  commands.snapshot = [&browser] { return browser.snapshot(); };
  commands.explore_user = [&browser](const std::string& user_id, int origin) { browser.explore_user(user_id, origin); };
  commands.open_entry = [&browser](const std::string& name, const browse::OpenOptions& options) { return browser.open_entry(name, options); };
  commands.request_downloads = [&browser](const std::vector<std::string>& names, const std::string& sub_folder) {
    return browser.request_downloads(names, sub_folder);
  };
  commands.request_file_info = [&browser](const std::string& name) { return browser.request_file_info(name); };
  commands.request_file_link = [&browser](const std::string& name) { return browser.request_file_link(name); };
  commands.request_folder_download = [&browser](const std::string& name) { return browser.request_folder_download(name); };
  commands.set_sort = [&browser](int column) { browser.set_sort(column); };
  commands.set_move_to_download_tab = [&browser](bool move) { browser.set_move_to_download_tab(move); };
  commands.touch = [&browser] { browser.touch(); };
  commands.stop_session = [&browser] { browser.stop_session(); };
  commands.reconnect = [&browser] { browser.reconnect(); };
  commands.clear_history = [&browser] {
    browser.history().clear();
    browser.save_history();
  };
  commands.values = &windows_.window_values();
  commands.open_browser = [](const std::string& url) { return OpenBrowser(url); };
  return commands;
}

DownloadCommands DesktopViews::download_commands() {
  download::DownloadManager& manager = application_.downloads().manager();
  browse::RemoteBrowser& browser = application_.downloads().browser();
  download::DownloadSettings& download_settings = application_.downloads().download_settings();
  settings::Settings& settings = application_.settings();
  settings::WindowValues& values = windows_.window_values();
  mainframe::CMainFrame& hub = application_.main_frame();
  DownloadCommands commands;
  commands.rows = [&manager] { return manager.snapshot(); };
  commands.resume = [&manager](const std::vector<std::string>& hashes) {
    for (const std::string& hash : hashes) manager.resume(hash);
  };
  commands.stop = [&manager](const std::vector<std::string>& hashes) {
    for (const std::string& hash : hashes) manager.stop(hash);
  };
  commands.remove = [&manager](const std::vector<std::string>& hashes) {
    for (const std::string& hash : hashes) manager.remove(hash);
  };
  commands.remove_finished = [&manager] { manager.remove_finished(); };
  commands.move = [&manager](const std::vector<std::string>& hashes, bool up) { manager.move(hashes, up); };
  commands.copy_link = [&manager](const std::string& hash) { return manager.copy_link(hash); };
  commands.open_path = [](const std::string& path) { return OpenLocalPath(path); };
  commands.open_file_info = [&hub](const std::string& hash, const std::string& file_name, int64_t size) {
    hub.open_file_info_page(hash, std::to_string(size), file_name);
  };
  commands.explore_user = [&browser](const std::string& user_id) { browser.explore_user(user_id, browse::kOtherListOrigin); };
  commands.explore_address = [&browser](platform::Ipv4 address, uint16_t port) {
    browser.explore_address(address, port, browse::kOtherListOrigin);
  };
  commands.privileged = [&hub] { return privileged(hub.session()); };
  commands.transfer_flag = [&hub] { return hub.session().record().transfer_flag != 0; };
  commands.speed_limit_row = [&values] { return values.read(settings::kLimitDownloadSpeed); };
  commands.store_speed_limit_row = [&values](uint32_t row) { values.write(settings::kLimitDownloadSpeed, row); };
  commands.apply_download_limit = [&download_settings](uint32_t bytes_per_second) {
    download_settings.set_download_speed_limit(bytes_per_second);
  };
  commands.use_multi_down = [&settings] { return settings.values().use_multi_down; };
  commands.set_use_multi_down = [&settings](bool on) { settings.store(settings::kUseMultiDown, on); };
  commands.auto_stop_reported = [&values] { return values.read(settings::kAutoStopReported); };
  commands.set_auto_stop_reported = [&values](bool on) { values.write(settings::kAutoStopReported, on); };
  commands.download_folder = [&settings] { return settings.values().down_path; };
  commands.program_folder = [&settings] { return settings.program_folder().string(); };
  commands.clear_logs = [&settings] { clear_log_folders(settings.program_folder()); };
  return commands;
}

SearchCommands DesktopViews::search_commands() {
  search::SearchClient& client = application_.search().client();
  app::SearchPart& starter = application_.search().starter();
  search::ResultDownloads& result_downloads = application_.search().result_downloads();
  browse::RemoteBrowser& browser = application_.downloads().browser();
  mainframe::CMainFrame& hub = application_.main_frame();
  SearchCommands commands;
  commands.start = [&starter](const search::SearchRequest& request) { return starter.start(request); };
  commands.stop = [&client] { client.stop(); };
  commands.running = [&client] { return client.running(); };
  commands.progress = [&client] { return client.progress(); };
  commands.results = [&client](std::optional<uint32_t> number) { return client.results(number); };
  commands.sort_latest = [&client](search::SortColumn column) { return client.sort_latest(column); };
  commands.clear_latest = [&client] { client.clear_latest(); };
  commands.download = [&result_downloads](const search::ResultRow& row) { return result_downloads.download(row); };
  commands.explore = [&browser](const std::string& address, uint16_t port, const std::string& peer_id) {
    explore_listed_server(browser, address, port, peer_id, browse::kSearchResultsOrigin);
  };
  commands.values = &windows_.window_values();
  commands.show_view = [this](int view) { show_view(view); };
  commands.fetch_page = [web_base = application_.endpoints().web_base](const std::string& keyword) {
    return fetch_recommendation_page(web_base, keyword);
  };
  commands.privileged = [&hub] { return hub.session().record().privilege_a != 0; };
  return commands;
}

ServerListCommands DesktopViews::server_list_commands() {
  mainframe::CMainFrame& hub = application_.main_frame();
  browse::RemoteBrowser& browser = application_.downloads().browser();
  settings::Settings& settings = application_.settings();
  ServerListCommands commands;
  commands.refresh = [&hub] { hub.refresh_server_lists(); };
  commands.explore = [&browser](const std::string& address, uint16_t port, const std::string& owner_id) {
    explore_listed_server(browser, address, port, owner_id, browse::kServerListOrigin);
  };
  commands.server_info = [bind = application_.endpoints().bind_address](const std::string& address, uint16_t port) {
    const std::optional<platform::Ipv4> parsed = platform::parse_ipv4(address);
    if (!parsed) return std::optional<browse::ServerInfo>();
    return browse::query_server_info(*parsed, port, browse::kServerInfoTimeoutMs, bind);
  };
  commands.own_id = [&hub] { return hub.session().record().identity.user_id; };
  commands.share_port = [&settings] { return static_cast<uint16_t>(settings.values().share_port); };
  commands.share_server_running = [&hub] { return hub.local_server().is_running(); };
  commands.registered_channel = [&hub] { return hub.registration().channel(); };
  commands.privileged = [&hub] { return privileged(hub.session()); };
  commands.log_status = [](const std::string& line) { util::LogSystem("%s", line.c_str()); };
  commands.values = &windows_.window_values();
  commands.show_view = [this](int view) { show_view(view); };
  return commands;
}

}  // namespace dovel::ui
