#include "browse/remote_browser.h"

#include "base/string_printf.h"
#include "base/text.h"
#include "browse/row_sorting.h"
#include "browse/sub_folder_name.h"
#include "settings/profile_values.h"
#include "settings/service_switches.h"
#include "settings/setting_table.h"
#include "util/letter_pair.h"
#include "util/log_files.h"
#include "wire/wire_text.h"

namespace dovel::browse {
namespace {

constexpr const char* kUpInFolder = "상위폴더";
constexpr const char* kUpToOrigin = "이전 탭";

// The ID as given, or what its letter-pair encoding stands for.
std::string decoded_peer_id(const std::string& id) {
  std::string decoded = util::DecodeWire(id);
  return decoded.empty() ? id : decoded;
}

}  // namespace

// Hands one session's events to the browser with the session's generation.
class RemoteBrowser::Relay final : public SessionEvents {
 public:
  Relay(RemoteBrowser& browser, uint64_t generation, bool skip_service_checks)
      : browser_(browser), generation_(generation), skip_service_checks_(skip_service_checks) {}

  void attach(const ClientControlSession& session) { session_ = &session; }

  void session_started() override { browser_.on_started(generation_); }
  bool prepare(SessionTarget& target, platform::StopSignal& stop) override {
    return browser_.prepare(generation_, target, skip_service_checks_, stop);
  }
  void session_connected() override { browser_.on_connected(generation_, *session_); }
  void listing_arrived(std::string_view wire_body) override { browser_.on_listing(generation_, *session_, wire_body); }
  void status_arrived(const ServerStatusLines& lines) override { browser_.on_status(generation_, *session_, lines); }
  void identity_arrived(const PeerIdentity& identity) override { browser_.on_identity(generation_, *session_, identity); }
  void intro_arrived(const PeerIntroReply& intro) override { browser_.on_intro(generation_, intro); }
  void system_message(const std::string& text) override { browser_.on_message(generation_, text); }
  void password_refused() override { browser_.on_password_refused(generation_); }
  void access_refused() override { browser_.on_access_refused(generation_); }
  bool file_hash_arrived(const FileHashReply& reply) override { return browser_.on_file_hash(generation_, *session_, reply); }
  void session_ended() override { browser_.on_ended(generation_); }

 private:
  RemoteBrowser& browser_;
  const uint64_t generation_;
  const bool skip_service_checks_;
  const ClientControlSession* session_ = nullptr;
};

RemoteBrowser::RemoteBrowser(BrowseContext context)
    : context_(std::move(context)),
      scratch_(context_.scratch != nullptr ? *context_.scratch : own_scratch_),
      resolver_(*context_.clock, context_.online_servers,
                context_.lookup ? context_.lookup : service_address_lookup(context_.endpoints, context_.random)) {
  if (context_.settings != nullptr) {
    history_.load_text(context_.settings->address_history());
    view_.move_to_download_tab = context_.settings->move_to_download_tab();
  }
  if (context_.profile != nullptr) {
    view_.sort_column = static_cast<int>(sort_column_of(settings::read_profile(*context_.profile, settings::kRemoteListSort)));
  }
  view_.up_text = kUpToOrigin;
}

RemoteBrowser::~RemoteBrowser() {
  stop_session();
  {
    // Every session calls back into the browser until its thread ends.
    std::lock_guard session_guard(session_lock_);
    retired_.clear();
  }
  save_history();
}

bool RemoteBrowser::is_privileged() const {
  if (context_.session == nullptr) return false;
  const service::SessionRecord record = context_.session->record();
  return record.privilege_a != 0 || record.privilege_b != 0;
}

void RemoteBrowser::set_change_listener(std::function<void()> listener) {
  std::lock_guard guard(listener_lock_);
  listener_ = std::move(listener);
}

void RemoteBrowser::changed_locked() {
  changed_.notify_all();
  std::lock_guard guard(listener_lock_);
  if (listener_) listener_();
}

void RemoteBrowser::say(const std::string& text) {
  std::lock_guard guard(state_lock_);
  say_locked(text);
}

void RemoteBrowser::say_locked(const std::string& text) {
  util::LogSystem("%s", text.c_str());
  messages_.push_back(text);
  while (messages_.size() > kKeptMessages) messages_.pop_front();
  changed_locked();
}

void RemoteBrowser::tell_no_server(const std::string& user_id) {
  if (is_privileged()) {
    say(base::string_printf("'%s'님의 서버가 없습니다.", user_id.c_str()));
  } else if (context_.front != nullptr) {
    context_.front->tell("서버가 존재하지 않습니다.");
  } else {
    say("서버가 존재하지 않습니다.");
  }
}

void RemoteBrowser::reset_view_locked() {
  view_.connected = false;
  view_.own_server = false;
  view_.current_path.clear();
  view_.relative_path.clear();
  view_.rows.clear();
  view_.speed_line.clear();
  view_.transfers_line.clear();
  view_.peer_id.clear();
  view_.peer_label.clear();
  view_.peer_level = 0;
  view_.title.clear();
  view_.home_page_url.clear();
  view_.intro = {};
  view_.upload_paused = false;
  view_.folder_download_supported = false;
  view_.server_version = 0;
  view_.file_link_enabled = false;
  view_.share_index = -1;
  view_.up_text = kUpToOrigin;
  view_.up_enabled = false;
  listing_attributes_ = 0;
}

// --- Starting and stopping ---------------------------------------------------

StartOutcome RemoteBrowser::start_session(const SessionRequest& request) {
  std::lock_guard session_guard(session_lock_);
  uint64_t generation = 0;
  {
    std::lock_guard guard(state_lock_);
    generation = ++generation_;
    reset_view_locked();
  }
  stop_locked();

  const std::string peer_id = decoded_peer_id(request.peer_id);
  const std::string own_id = context_.session != nullptr ? context_.session->identity().user_id : std::string();
  SessionSetup setup;
  setup.target = {request.address, request.port, peer_id, request.start_path, request.share_index, request.focus_file,
                  request.skip_service_checks || (!peer_id.empty() && base::iequals_ascii(peer_id, own_id))};
  setup.session = context_.session;
  setup.own_server_address = context_.own_server_address;
  setup.bind_address = context_.endpoints.bind_address;
  setup.hub = context_.hub;
  setup.folder_lists = context_.folder_lists;
  if (context_.settings != nullptr) {
    const platform::Ipv4 external = context_.settings->external_address();
    const platform::Ipv4 own = external != 0 ? external : context_.endpoints.bind_address;
    setup.own_address = own != 0 ? platform::format_ipv4(own) : std::string();
    setup.own_port = static_cast<uint16_t>(context_.settings->values().share_port);
  }
  const bool own_server = setup.target.own_server;

  auto relay = std::make_unique<Relay>(*this, generation, request.skip_service_checks);
  auto session = std::make_unique<ClientControlSession>(std::move(setup), *relay);
  relay->attach(*session);
  {
    std::lock_guard guard(state_lock_);
    view_.session_running = true;
    view_.own_server = own_server;
    view_.peer_id = peer_id;
    view_.origin = request.origin;
    view_.up_enabled = request.origin >= 0;
    idle_armed_ = true;
    last_action_ = context_.clock->tick();
  }
  active_ = Active{std::move(relay), std::move(session), peer_id};
  last_request_ = request;
  active_.session->start();
  if (!request.skip_service_checks && !peer_id.empty() && is_privileged()) history_.add(peer_id);
  return StartOutcome::Started;
}

StartOutcome RemoteBrowser::explore_user(const std::string& user_id, int origin) {
  if (user_id.empty()) {
    tell_no_server(user_id);
    return StartOutcome::Refused;
  }
  SessionRequest request;
  request.peer_id = user_id;
  request.origin = origin;
  if (auto recent = resolver_.recent(user_id)) {
    {
      std::lock_guard session_guard(session_lock_);
      const ClientControlSession* session = session_locked();
      if (session != nullptr && !session->ended() && base::iequals_ascii(active_.requested_id, user_id)) return StartOutcome::AlreadyOpen;
    }
    request.address = recent->address;
    request.port = recent->port;
  }
  return start_session(request);
}

StartOutcome RemoteBrowser::explore_address(platform::Ipv4 address, uint16_t port, int origin) {
  if (address == 0 || port == 0) return StartOutcome::Refused;
  SessionRequest request;
  request.address = address;
  request.port = port;
  request.origin = origin;
  return start_session(request);
}

StartOutcome RemoteBrowser::reconnect() {
  SessionRequest request;
  {
    std::lock_guard session_guard(session_lock_);
    request = last_request_;
  }
  if (request.address == 0 && request.peer_id.empty()) return StartOutcome::Refused;
  return start_session(request);
}

void RemoteBrowser::stop_locked() {
  // The caller (the window's thread) does not wait for the old session: it may
  // still be in an address look-up or a login attempt. Its stop wakes what it
  // waits on, and it is joined once its thread has ended.
  if (active_.session) {
    active_.session->request_stop();
    retired_.push_back(std::move(active_));
  }
  active_ = Active{};
  std::erase_if(retired_, [](const Active& old) { return old.session->ended(); });
}

void RemoteBrowser::stop_session() {
  std::lock_guard session_guard(session_lock_);
  const bool had_session = active_.session != nullptr;
  stop_locked();
  if (!had_session) return;
  std::lock_guard guard(state_lock_);
  // The view ends now; what the stopped session still says goes to the log only.
  ++generation_;
  if (view_.session_running) end_view_locked();
}

// --- Events of the current session ---------------------------------------------

bool RemoteBrowser::prepare(uint64_t generation, SessionTarget& target, bool skip_service_checks, platform::StopSignal& stop) {
  {
    std::lock_guard guard(state_lock_);
    if (!current_generation(generation)) return false;
  }
  if (!skip_service_checks && context_.service_link != nullptr && !context_.service_link->connected() &&
      !context_.service_link->reconnect()) {
    return false;
  }
  if (stop.stopped()) return false;
  if (target.address != 0 || target.own_server) return true;
  std::optional<service::ServerAddress> address = resolver_.resolve(target.peer_id, &stop);
  if (stop.stopped()) return false;
  if (!address) {
    tell_no_server(target.peer_id);
    return false;
  }
  target.address = address->address;
  target.port = address->port;
  return true;
}

void RemoteBrowser::on_started(uint64_t generation) {
  std::lock_guard guard(state_lock_);
  if (current_generation(generation)) folder_password_.clear();
}

void RemoteBrowser::copy_session_flags_locked(const ClientControlSession& session) {
  view_.upload_paused = session.upload_paused();
  view_.folder_download_supported = session.folder_download_supported();
  view_.server_version = session.server_version();
  view_.file_link_enabled = view_.server_version >= kFileLinkVersion;
}

void RemoteBrowser::on_connected(uint64_t generation, const ClientControlSession& session) {
  {
    std::lock_guard guard(state_lock_);
    if (!current_generation(generation)) return;
    view_.connected = true;
    copy_session_flags_locked(session);
    changed_locked();
  }
  if (context_.front != nullptr) context_.front->show_browse_tab();
}

void RemoteBrowser::on_listing(uint64_t generation, const ClientControlSession& session, std::string_view wire_body) {
  if (wire_body.empty()) return;
  ListingRules rules;
  rules.magic = settings::ServiceSwitches::magic();
  rules.transfer_flag = context_.session != nullptr && context_.session->record().transfer_flag != 0;
  rules.lists = context_.content_lists != nullptr ? context_.content_lists : &pass_everything_;
  std::optional<ListingPage> page = parse_listing(wire_body, rules);
  std::lock_guard guard(state_lock_);
  if (!current_generation(generation) || !page) return;
  copy_session_flags_locked(session);
  if (page->listing_attributes) listing_attributes_ = *page->listing_attributes;
  if (!page->relative_path.empty()) sort_rows(page->rows, sort_column_of(view_.sort_column), true);
  view_.sort_ascending = true;
  view_.current_path = std::move(page->current_path);
  view_.relative_path = std::move(page->relative_path);
  view_.rows = std::move(page->rows);
  view_.up_text = view_.current_path.empty() ? kUpToOrigin : kUpInFolder;
  view_.up_enabled = !view_.current_path.empty() || view_.origin >= 0;
  ++counters_.listings;
  view_.listings = counters_.listings;
  changed_locked();
}

void RemoteBrowser::on_status(uint64_t generation, const ClientControlSession& session, const ServerStatusLines& lines) {
  std::lock_guard guard(state_lock_);
  if (!current_generation(generation)) return;
  copy_session_flags_locked(session);
  view_.speed_line = lines.speed;
  view_.transfers_line = lines.transfers;
  changed_locked();
}

void RemoteBrowser::on_identity(uint64_t generation, const ClientControlSession& session, const PeerIdentity& identity) {
  const bool privileged = is_privileged();
  const std::string own_password = context_.settings != nullptr ? context_.settings->values().folder_pass : std::string();
  std::lock_guard guard(state_lock_);
  if (!current_generation(generation)) return;
  copy_session_flags_locked(session);
  view_.peer_id = identity.user_id;
  view_.peer_label = identity.label;
  view_.peer_level = identity.level;
  if (privileged) {
    view_.title = identity.label.empty() ? identity.user_id : identity.label + "(" + identity.user_id + ")";
  } else {
    view_.title = session.upload_paused() ? "업로드일시중지" : "접속됨";
  }
  view_.home_page_url = home_page_url(context_.endpoints.web_base, identity.user_id);
  if (session.own_server()) folder_password_ = own_password;
  changed_locked();
}

void RemoteBrowser::on_intro(uint64_t generation, const PeerIntroReply& intro) {
  const bool no_script =
      context_.settings == nullptr || context_.settings->intro_without_scripts();
  PeerIntro kept = peer_intro_of(intro, context_.endpoints.web_base, no_script);
  std::lock_guard guard(state_lock_);
  if (!current_generation(generation)) return;
  view_.intro = std::move(kept);
  changed_locked();
}

void RemoteBrowser::on_message(uint64_t generation, const std::string& text) {
  std::lock_guard guard(state_lock_);
  // A replaced session's last words still belong in the log, not in this view.
  if (!current_generation(generation)) {
    util::LogSystem("%s", text.c_str());
    return;
  }
  say_locked(text);
}

void RemoteBrowser::on_password_refused(uint64_t generation) {
  std::lock_guard guard(state_lock_);
  if (!current_generation(generation)) return;
  folder_password_.clear();
  ++counters_.refusals;
  changed_locked();
}

void RemoteBrowser::on_access_refused(uint64_t generation) {
  std::lock_guard guard(state_lock_);
  if (!current_generation(generation)) return;
  ++counters_.refusals;
  changed_locked();
}

bool RemoteBrowser::on_file_hash(uint64_t generation, const ClientControlSession& session, const FileHashReply& reply) {
  DownloadRequest request;
  {
    std::lock_guard guard(state_lock_);
    if (!current_generation(generation)) return false;
    request.listing_attributes = listing_attributes_;
    request.folder_password = folder_password_;
    request.switch_to_download_tab = view_.move_to_download_tab;
  }
  const std::string key = util::ScratchKey(reply.name, reply.size_text, session.address(), session.port());
  request.sub_folder = scratch_.Take(key).value_or(std::string());
  request.hash = reply.hash;
  request.file_name = reply.name;
  request.size = reply.size;
  request.sources.push_back({session.address(), session.port(), session.peer_id()});
  return context_.downloads != nullptr && context_.downloads->add(request);
}

void RemoteBrowser::on_ended(uint64_t generation) {
  std::lock_guard guard(state_lock_);
  if (current_generation(generation)) end_view_locked();
}

void RemoteBrowser::end_view_locked() {
  const int origin = view_.origin;
  const int sort_column = view_.sort_column;
  const bool move = view_.move_to_download_tab;
  const uint64_t listings = view_.listings;
  reset_view_locked();
  view_.session_running = false;
  view_.origin = origin;
  view_.sort_column = sort_column;
  view_.move_to_download_tab = move;
  view_.listings = listings;
  idle_armed_ = false;
  ++counters_.ends;
  changed_locked();
}

// --- Requests --------------------------------------------------------------------

size_t RemoteBrowser::send_locked(const std::string& payload) {
  ClientControlSession* session = session_locked();
  return session != nullptr ? session->send_request(payload) : 0;
}

std::optional<ListingRow> RemoteBrowser::find_row(const std::string& name) const {
  std::lock_guard guard(state_lock_);
  for (const ListingRow& row : view_.rows) {
    if (row.name == name) return row;
  }
  for (const ListingRow& row : view_.rows) {
    if (row.shown_name == name) return row;
  }
  return std::nullopt;
}

void RemoteBrowser::touch() {
  std::lock_guard guard(state_lock_);
  last_action_ = context_.clock->tick();
  if (view_.session_running) idle_armed_ = true;
}

bool RemoteBrowser::open_entry(const std::string& name, const OpenOptions& options) {
  touch();
  std::optional<ListingRow> row = find_row(name);
  if (!row) return false;
  if (row->is_file()) return !options.explore_command && request_downloads({row->name}) > 0;

  std::string password;
  int origin = kNoOrigin;
  bool at_top = false;
  {
    std::lock_guard guard(state_lock_);
    at_top = view_.current_path.empty();
    origin = view_.origin;
    if (row->is_share_root()) {
      int index = 0;
      for (const ListingRow& other : view_.rows) {
        if (other.name == row->name && other.is_share_root()) break;
        if (other.is_share_root()) ++index;
      }
      view_.share_index = index;
    }
    if (options.password) folder_password_ = *options.password;
    password = folder_password_;
  }
  if (at_top && row->name == "..") {
    if (origin < 0) return false;
    if (context_.front != nullptr) context_.front->show_origin_tab(origin);
    stop_session();
    return true;
  }
  if (at_top && password.empty() && (row->attributes & kSecretBit) != 0 && !options.explore_command) {
    if (context_.front == nullptr) return false;
    std::optional<std::string> asked = context_.front->ask_folder_password();
    if (!asked) return false;
    password = *asked;
    std::lock_guard guard(state_lock_);
    folder_password_ = password;
  }
  auto wire_name = wire::field(row->name, "|");
  auto wire_password = wire::field(password, "|");
  if (!wire_name || !wire_password) return false;
  std::lock_guard session_guard(session_lock_);
  return send_locked("C" + *wire_name + "|" + *wire_password) > 0;
}

bool RemoteBrowser::change_folder(const std::string& path) {
  touch();
  // The server closes the connection on these rather than answer.
  if (path.find("./") != std::string::npos || path.find(".\\") != std::string::npos || path.find('|') != std::string::npos) return false;
  std::string password;
  {
    std::lock_guard guard(state_lock_);
    password = folder_password_;
  }
  auto wire_path = wire::field(path, "|");
  auto wire_password = wire::field(password, "|");
  if (!wire_path || !wire_password) return false;
  std::lock_guard session_guard(session_lock_);
  return send_locked("C" + *wire_path + "|" + *wire_password) > 0;
}

size_t RemoteBrowser::request_downloads(const std::vector<std::string>& names, const std::string& sub_folder) {
  touch();
  if (context_.service_link != nullptr && !context_.service_link->connected()) {
    // Nothing is asked for now; the user asks again once the service is back.
    context_.service_link->reconnect_later();
    return 0;
  }
  std::lock_guard session_guard(session_lock_);
  ClientControlSession* session = session_locked();
  if (session == nullptr || !session->logged_in()) return 0;
  if (session->own_server()) {
    say("자신의 파일은 다운로드가 안됩니다.");
    return 0;
  }
  if (auto refusal = sub_folder_refusal(sub_folder)) {
    say(*refusal);
    return 0;
  }
  bool move_to_download_tab = false;
  {
    std::lock_guard guard(state_lock_);
    move_to_download_tab = view_.move_to_download_tab;
  }
  size_t sent = 0;
  for (const std::string& name : names) {
    std::optional<ListingRow> row = find_row(name);
    if (!row || !row->is_file()) continue;
    auto wire_name = wire::field(row->name, "|");
    if (!wire_name) continue;
    const std::string size_text = std::to_string(row->size);
    const std::string key = util::ScratchKey(row->name, size_text, session->address(), session->port());
    if (!sub_folder.empty()) scratch_.Put(key, sub_folder);
    if (send_locked("H" + *wire_name + "|" + size_text) == 0) {
      scratch_.Remove(key);
      continue;
    }
    ++sent;
    if (move_to_download_tab && context_.front != nullptr) {
      context_.front->show_download_tab();
    } else {
      say("파일정보요청을 하였습니다.");
    }
  }
  return sent;
}

bool RemoteBrowser::request_file_info(const std::string& name) {
  touch();
  std::optional<ListingRow> row = find_row(name);
  if (!row || !row->is_file()) return false;
  auto wire_name = wire::field(row->name, "|");
  if (!wire_name) return false;
  std::lock_guard session_guard(session_lock_);
  return send_locked("R" + *wire_name + "|" + std::to_string(row->size)) > 0;
}

bool RemoteBrowser::request_file_link(const std::string& name) {
  touch();
  std::optional<ListingRow> row = find_row(name);
  if (!row || !row->is_file()) return false;
  auto wire_name = wire::field(row->name, "|");
  if (!wire_name) return false;
  std::lock_guard session_guard(session_lock_);
  ClientControlSession* session = session_locked();
  if (session == nullptr || session->server_version() < kFileLinkVersion) return false;
  return send_locked("K" + *wire_name + "|" + std::to_string(row->size)) > 0;
}

bool RemoteBrowser::request_folder_download(const std::string& folder_name) {
  touch();
  std::lock_guard session_guard(session_lock_);
  ClientControlSession* session = session_locked();
  if (session == nullptr) return false;
  if (session->own_server()) {
    say("자신의 파일은 다운로드가 안됩니다.");
    return false;
  }
  if (!session->folder_download_supported()) {
    say("연결된 서버는 버전이 낮아 폴더다운을 지원하지 않습니다.");
    return false;
  }
  std::string relative_path;
  {
    std::lock_guard guard(state_lock_);
    relative_path = view_.relative_path;
  }
  std::string path;
  if (!folder_name.empty()) {
    std::optional<ListingRow> row = find_row(folder_name);
    if (!row || row->kind != kFolderKind) return false;
    std::string parent = relative_path;
    while (!parent.empty() && parent.back() == '\\') parent.pop_back();
    path = parent + "\\" + row->name;
  } else {
    path = std::string(base::trim_backslashes(relative_path));
    if (path.empty()) {
      say("루트폴더는 폴더다운이 안됩니다.");
      return false;
    }
  }
  auto wire_path = wire::terminated_field(path);
  return wire_path && send_locked("Z" + *wire_path) > 0;
}

// --- View choices, idle timer, history ---------------------------------------------

void RemoteBrowser::set_sort(int column_index, bool ascending) {
  touch();
  const SortColumn column = sort_column_of(column_index);
  {
    std::lock_guard guard(state_lock_);
    view_.sort_column = static_cast<int>(column);
    view_.sort_ascending = ascending;
    sort_rows(view_.rows, column, ascending);
    changed_locked();
  }
  if (context_.profile != nullptr) settings::write_profile(*context_.profile, settings::kRemoteListSort, static_cast<int>(column));
}

void RemoteBrowser::set_move_to_download_tab(bool move) {
  {
    std::lock_guard guard(state_lock_);
    view_.move_to_download_tab = move;
  }
  if (context_.settings != nullptr) context_.settings->store_move_to_download_tab(move);
}

void RemoteBrowser::set_folder_password(const std::string& password) {
  std::lock_guard guard(state_lock_);
  folder_password_ = password;
}

void RemoteBrowser::check_idle() {
  {
    std::lock_guard guard(state_lock_);
    if (!idle_armed_ || platform::ticks_between(last_action_, context_.clock->tick()) < kIdleMs) return;
    idle_armed_ = false;
    if (!view_.session_running || view_.own_server) return;
  }
  say("5분간 입력이 없어서 서버탐색이 중지되었습니다.");
  stop_session();
}

bool RemoteBrowser::save_history() {
  return context_.settings != nullptr && context_.settings->store_address_history(history_.stored_text());
}

// --- Snapshot and waiting -----------------------------------------------------------

BrowserSnapshot RemoteBrowser::snapshot() const {
  std::lock_guard guard(state_lock_);
  BrowserSnapshot copy = view_;
  copy.messages.assign(messages_.begin(), messages_.end());
  copy.history = history_.entries();
  return copy;
}

ListingMark RemoteBrowser::mark() const {
  std::lock_guard guard(state_lock_);
  return counters_;
}

ListingWait RemoteBrowser::wait_for_listing(const ListingMark& since, std::chrono::milliseconds timeout) const {
  std::unique_lock guard(state_lock_);
  ListingWait result = ListingWait::TimedOut;
  changed_.wait_for(guard, timeout, [&] {
    if (counters_.listings > since.listings) {
      result = ListingWait::Listing;
    } else if (counters_.refusals > since.refusals) {
      result = ListingWait::Refused;
    } else if (counters_.ends > since.ends) {
      result = ListingWait::Ended;
    } else {
      return false;
    }
    return true;
  });
  return result;
}

}  // namespace dovel::browse
