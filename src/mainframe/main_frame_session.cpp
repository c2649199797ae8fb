// The hub's side of the session: the start sequence, logins, the share server's
// (re)start and registration, the warning check and the end of the session.
#include "db/sqlite3_connection.h"
#include "base/string_printf.h"
#include "core/message_ids.h"
#include "mainframe/main_frame.h"
#include "service/auth_messages.h"
#include "service/registration_source.h"
#include "util/current_user.h"
#include "util/last_error.h"
#include "util/log_files.h"

namespace dovel::mainframe {
namespace {

// Until the content lists exist there are no listed words to mask in a title.
std::optional<std::string> no_listed_words(std::string_view title) { return std::string(title); }

}  // namespace

void CMainFrame::start_sequence() {
  const settings::SettingsRegistry& registry = settings_.registry();
  if (!registry.read(settings::kAutoTray)) front_.bring_to_front();
  const bool auto_login = registry.read(settings::kAutoLogin);
  if (!pending_request_.login_id.empty() && !pending_request_.password.empty()) {
    sign_in(pending_request_.login_id, pending_request_.password, auto_login, LoginCredentials::Request);
    return;
  }
  std::string user_id;
  std::string password;
  if (auto_login && stored_credentials(user_id, password)) {
    sign_in(user_id, password, true, LoginCredentials::Stored);
    return;
  }
  front_.ask_for_login();
}

void CMainFrame::log_in(const std::string& user_id, const std::string& password, bool auto_login) {
  if (auth_.connected()) return;
  sign_in(user_id, password, auto_login, LoginCredentials::Typed);
}

bool CMainFrame::stored_credentials(std::string& user_id, std::string& password) const {
  const settings::SettingsRegistry::Reader reader = settings_.registry().reader();
  user_id = reader.read(settings::kStoredUserId);
  password = reader.read(settings::kStoredPassword);
  return !user_id.empty() && !password.empty();
}

void CMainFrame::sign_in(const std::string& user_id, const std::string& password, bool auto_login, LoginCredentials credentials) {
  if (signing_in_) return;
  signing_in_ = true;
  const service::SignInRequest request{user_id, password, auto_login, settings_.values().allow_memo, setup_.endpoints.web_base};
  run_service_task([this, request, credentials] {
    auto payload = std::make_unique<SignInPayload>();
    payload->outcome = service::sign_in(auth_, session_, settings_.registry(), request, [this](const std::string& user_id) {
      return prompt_.ask(UserPrompt::Question::TakeOverSession,
                         base::string_printf("'%s'님은 이미 접속상태입니다.\r\n\r\n기존 연결을 종료하시고 접속하시겠습니까?", user_id.c_str()));
    });
    payload->credentials = credentials;
    post(core::UM_SIGN_IN_DONE, 0, 0, std::move(payload));
  });
}

void CMainFrame::on_signed_in(const SignInPayload& signed_in) {
  signing_in_ = false;
  const service::SignIn& outcome = signed_in.outcome;
  if (outcome.result != service::kLoginOk) {
    // A stored password the service refused is forgotten; one that could not be
    // tried (no connection, a busy service) is kept for the next start.
    if (signed_in.credentials == LoginCredentials::Stored && service::credentials_refused(outcome.result, outcome.reason)) {
      settings_.registry().write(settings::kStoredPassword, "");
    }
    if (!outcome.message.empty()) prompt_.tell(outcome.message);
    after_failed_login(signed_in.credentials);
    return;
  }
  if (!outcome.warning_notice.empty()) prompt_.tell(outcome.warning_notice);
  if (outcome.warning_result == 2) {
    warnings_stopped_ = true;
    end_session();
    return;
  }
  sharing_suspended_ = outcome.warning_result == 1;
  after_login();
}

void CMainFrame::after_login() {
  if (PointService* points = setup_.parts.points) {
    if (!points->start()) {
      util::LogSystem("포인트쓰레드생성실패 - 접속종료됩니다.");
      end_session();
      return;
    }
    points->send_pending_records();
    points->query_balance();
  }
  front_.set_title(window_title());
  login_lock_.acquire();
  const bool valid = settings_valid();
  if (!valid) {
    const std::string message = "설정에러: " + util::LastErrorText();
    util::LogSystem("%s", message.c_str());
    prompt_.tell(message);
  }
  if (settings_.values().auto_hash) {
    hashing_.start_hash_run(1);
  } else {
    on_hash_done(valid, true);
  }
  carry_out_pending_request();
}

void CMainFrame::on_auth_closed(int code) {
  last_auth_close_ = code;
  if (code != 0) {
    relogin_wanted_ = true;
    relogin_and_register();
    return;
  }
  // The service closes a session in order when another login took the ID, and
  // also when it goes down itself. Only the first ends the session; after the
  // second the session waits for the service as after a lost connection.
  run_service_task([this] { post(core::UM_AUTH_CLOSE_EXAMINED, auth_.session_held_elsewhere() ? 1 : 0); });
}

void CMainFrame::on_auth_close_examined(bool held_elsewhere) {
  if (held_elsewhere || !session_.logged_in()) {
    end_session();
    return;
  }
  relogin_wanted_ = true;
  relogin_and_register();
}

void CMainFrame::end_session() {
  relogin_wanted_ = false;
  // The owner's run ends with the session, before the server its walk would hold up.
  hashing_.cancel();
  stop_share_server();
  registration_.close();
  file_index_.close();
  auth_.close();
  if (setup_.parts.remote != nullptr) setup_.parts.remote->close_session();
  if (setup_.parts.points != nullptr) setup_.parts.points->stop();
  const bool was_logged_in = session_.logged_in();
  session_.clear();
  util::SetCurrentUserId(util::kGuestUserId);
  login_lock_.release();
  loop_.kill_timer(core::kListFetchTimer);
  front_.set_title(window_title());
  front_.session_ended();
  if (was_logged_in) {
    const std::string web_base = setup_.endpoints.web_base;
    run_service_task([web_base] { service::logout(web_base); });
  }
}

void CMainFrame::log_out() {
  if (!session_.logged_in()) return;
  const int uploads = capped_running_uploads();
  const int downloads = setup_.parts.downloads != nullptr ? setup_.parts.downloads->running_downloads() : 0;
  if (uploads > 0 || downloads > 0) {
    const std::string question = base::string_printf(
        "현재 전송중인 파일이 있습니다.\r\n\r\n업로드: %d개, 다운로드: %d개\r\n\r\n접속을 종료하시겠습니까?", uploads, downloads);
    if (!prompt_.ask(UserPrompt::Question::LogoutWhileTransferring, question)) return;
  }
  end_session();
}

void CMainFrame::start_share_server_by_hand() {
  if (!session_.logged_in()) {
    util::LogSystem("로그인을 하세요.");
    return;
  }
  if (!settings_.server_usable) {
    util::LogSystem("서버역할을 할 수 없는 환경입니다.");
    return;
  }
  if (hashing_.active()) return;
  hashing_.start_hash_run(1);
  front_.show_server_start_button(false);
  loop_.set_timer(core::kServerButtonTimer, kServerButtonMs);
}

void CMainFrame::on_hash_done(bool restart, bool reopen_file_index) {
  if (!session_.logged_in()) {
    carry_out_pending_request();
    return;
  }
  refresh_registration(restart, reopen_file_index);
  if (restart) {
    if (!settings_.server_usable) list_channel_ = setup_.random() % 3;
    refresh_server_lists();
  }
  loop_.set_timer(core::kServerButtonTimer, kServerButtonMs);
  carry_out_pending_request();
}

void CMainFrame::refresh_registration(bool reset, bool reconnect) {
  if (!auth_.connected() || !settings_.server_usable || sharing_suspended_) return;
  if (reset) {
    stop_share_server();
    start_share_server();
  }
  if (registration_.registered()) {
    const share::ShareTotalsValue totals = totals_.get();
    const uint32_t peak = meter_.highest_upload_speed;
    run_service_task([this, totals, peak] { registration_.send_counters({totals.mib, totals.files}, peak); });
  } else if (!registering_) {
    register_server();
  }
  // An announcement the file index dropped is made again while the registration stands.
  if (reconnect || (registration_.registered() && !file_index_.connected())) reopen_file_index();
}

void CMainFrame::register_server() {
  // Only settings that pass the check (download folder, title, shared folders) are registered.
  if (!settings_valid()) return;
  std::optional<service::RegistrationRecord> record =
      service::current_registration_record(session_, registration_settings_, totals_, meter_, no_listed_words);
  if (!record) {
    util::LogSystem("%s", service::registration_result_text(service::kRegisterDatabaseError, -1).c_str());
    return;
  }
  if (local_server_.port() != 0) record->port = local_server_.port();
  registering_ = true;
  run_service_task([this, record = *record] {
    file_index_.close();
    const int result = service::register_and_report(registration_, record);
    post(core::UM_REGISTRATION_DONE, result == service::kRegisterOk ? 1 : 0, result);
  });
}

void CMainFrame::on_registration_done(bool registered, int result) {
  registering_ = false;
  if (!session_.logged_in()) {
    registration_.close();
    return;
  }
  // The refresh asks again every few seconds; the box comes once for a run of the same refusal.
  if (result == service::kRegisterChannelLimit && last_registration_result_ != result) {
    prompt_.tell("채널사용자가 제한인원을 초과하였습니다. 채널명을 바꾸세요.");
  }
  last_registration_result_ = result;
  // Registering closed the announcement; a new registration brings it back.
  if (registered && !file_index_.connected()) reopen_file_index();
}

void CMainFrame::set_server_visibility(bool shown) {
  if (!registration_.registered()) return;
  run_service_task([this, shown] { post(core::UM_SERVER_VISIBILITY_DONE, shown ? 1 : 0, registration_.set_visibility(shown) ? 1 : 0); });
}

void CMainFrame::on_server_visibility_done(bool shown, bool changed) {
  if (!changed) return;
  settings_.store(settings::kShowServer, shown);
  front_.show_server_visibility(shown);
  util::LogSystem(shown ? "서버목록에 내서버가 보입니다." : "서버목록에 내서버가 보이지 않습니다.");
}

void CMainFrame::reopen_file_index() {
  if (announcing_) return;
  announcing_ = true;
  const uint16_t port = local_server_.port() != 0 ? local_server_.port() : static_cast<uint16_t>(settings_.values().share_port);
  const std::filesystem::path database = setup_.program_folder / "DovelData.dat";
  run_service_task([this, port, database] {
    file_index_.close();
    std::vector<std::string> hashes;
    try {
      db::Sqlite3Connection connection;
      connection.Open(database);
      hashes = service::announced_hashes(connection);
    } catch (const db::CppSQLite3Exception&) {
    }
    const bool announced = file_index_.announce_files(port, hashes);
    post(core::UM_FILE_INDEX_DONE, announced ? 1 : 0);
  });
}

void CMainFrame::refresh_server_lists() {
  run_service_task([this] {
    auto payload = std::make_unique<ServerListsPayload>();
    for (int channel = 0; channel < 3; ++channel) {
      payload->lists.channels[static_cast<size_t>(channel)] = service::fetch_server_list(setup_.endpoints, channel);
    }
    payload->lists.online_users = auth_.online_count();
    online_servers_.update(payload->lists);
    post(core::UM_SERVER_LISTS_FETCHED, 0, 0, std::move(payload));
  });
}

void CMainFrame::relogin_and_register() {
  run_service_task([this] {
    const bool connected = auth_.connected() || auth_.relogin_silently();
    post(core::UM_RELOGIN_DONE, connected ? 1 : 0);
  });
}

void CMainFrame::on_relogin_done(bool connected) {
  // A silent login the service refused (wrong password, unknown ID) ended the session record.
  if (!session_.logged_in()) {
    if (relogin_wanted_) end_session();
    return;
  }
  if (!connected) return;
  if (session_.record().suspension_kind != 0 || sharing_suspended_ || !settings_.server_usable) return;
  if (!registration_.registered() && !registering_ && !util::IsGuest() && settings_valid()) register_server();
  if (!file_index_.connected()) reopen_file_index();
}

void CMainFrame::check_warnings() {
  if (!session_.logged_in()) return;
  const std::string web_base = setup_.endpoints.web_base;
  run_service_task([this, web_base] {
    auto payload = std::make_unique<WarningsPayload>();
    payload->check = service::check_warnings(web_base, session_);
    post(core::UM_WARNINGS_CHECKED, 0, 0, std::move(payload));
  });
}

void CMainFrame::apply_warnings(const service::WarningCheck& check) {
  if (!check.notice.empty()) prompt_.tell(check.notice);
  if (check.result == 2) {
    warnings_stopped_ = true;
    loop_.kill_timer(core::kWarningTimer);
    end_session();
  } else if (check.result == 1) {
    sharing_suspended_ = true;
    hashing_.cancel();
    stop_share_server();
    registration_.close();
    file_index_.close();
  }
}

bool CMainFrame::start_share_server() {
  if (!local_server_.start_share_server()) return false;
  local_server_.start_search_responder();
  return true;
}

void CMainFrame::stop_share_server() {
  if (!local_server_.is_running()) return;
  local_server_.stop_search_responder();
  local_server_.stop_share_server(true);
}

}  // namespace dovel::mainframe
