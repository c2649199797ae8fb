#include "mainframe/main_frame.h"

#include <cstdlib>

#include "base/string_printf.h"
#include "base/text.h"
#include "core/message_ids.h"
#include "mainframe/status_texts.h"
#include "server/data_thread.h"
#include "service/auth_messages.h"
#include "util/current_user.h"
#include "util/format.h"
#include "util/log_files.h"

namespace dovel::mainframe {
namespace {

server::ShareServerContext share_context_for(MainFrameSetup& setup, server::ShareServerSettings& settings, service::ServiceSession& session,
                                             service::UserListStore& friends, service::UserListStore& blocks, share::HashService& hashing,
                                             share::ArchiveChecker& archive, core::TransferMeter& meter, server::UploadMonitor& monitor) {
  server::ShareServerContext context;
  context.settings = &settings;
  context.program_folder = setup.program_folder;
  context.database_file = setup.program_folder / "DovelData.dat";
  context.session = &session;
  context.friends = &friends;
  context.blocks = &blocks;
  context.hashing = &hashing;
  context.archive = &archive;
  context.meter = &meter;
  context.monitor = &monitor;
  context.clock = setup.clock;
  context.bind_address = setup.endpoints.bind_address;
  return context;
}

MainFrameSetup completed(MainFrameSetup setup) {
  if (!setup.random) setup.random = [] { return std::rand(); };
  return setup;
}

}  // namespace

CMainFrame::CMainFrame(MainFrameSetup setup)
    : setup_(completed(std::move(setup))),
      settings_(*setup_.settings),
      loop_(*setup_.loop),
      front_(*setup_.front),
      prompt_(*setup_.prompt),
      clock_(*setup_.clock),
      server_settings_(settings_),
      hash_settings_(settings_),
      registration_settings_(settings_),
      scratch_(clock_),
      monitor_(server_settings_, clock_),
      hashing_(share::HashRunContext{&hash_settings_, setup_.program_folder / "DovelData.dat", &clock_, &totals_, &loop_, {}}),
      share_context_(share_context_for(setup_, server_settings_, session_, friends_, blocks_, hashing_, archive_, meter_, monitor_)),
      fallback_results_(setup_.search_results == nullptr ? std::make_unique<wire::DroppedSearchResults>() : nullptr),
      fallback_lists_(setup_.list_sync == nullptr ? std::make_unique<server::NoListSync>() : nullptr),
      responder_(share_context_, setup_.endpoints, setup_.search_results != nullptr ? *setup_.search_results : *fallback_results_,
                 setup_.list_sync != nullptr ? *setup_.list_sync : *fallback_lists_),
      local_server_(share_context_,
                    [](server::ShareServerContext& context, server::DataConnectionList& list, std::shared_ptr<server::DataConnection> connection) {
                      server::serve_data_connection(context, list, std::move(connection));
                    }),
      auth_(setup_.endpoints, session_, &loop_, clock_),
      registration_(setup_.endpoints, &loop_, [this] { return setup_.random() % 3; }),
      file_index_(setup_.endpoints, &loop_, [this] { return setup_.random() % 3; }),
      login_lock_(setup_.program_folder / "login.lock"),
      display_download_(meter_.downloaded_bytes, clock_, SpeedReader::WhenNoTimePassed::KeepPrevious),
      display_upload_(meter_.uploaded_bytes, clock_, SpeedReader::WhenNoTimePassed::KeepPrevious),
      throttle_upload_(meter_.uploaded_bytes, clock_, SpeedReader::WhenNoTimePassed::Zero) {
  local_server_.set_search_responder(&responder_);
  if (!setup_.run_service_task) service_worker_ = std::make_unique<core::TaskWorker>();
}

CMainFrame::~CMainFrame() { tear_down(); }

void CMainFrame::create() {
  ready_ = false;
  ping_ = std::make_unique<CPingThread>([this] { keep_alive(); }, setup_.ping_period);
  front_.set_title(window_title());
  for (const auto& [id, period] : {std::pair{core::kKeepAliveTimer, kKeepAliveMs}, std::pair{core::kStatusTimer, kStatusMs},
                                   std::pair{core::kThrottleTimer, kThrottleMs}, std::pair{core::kReloginTimer, kReloginMs},
                                   std::pair{core::kWarningTimer, kWarningMs}, std::pair{core::kBalanceTimer, kBalanceMs},
                                   std::pair{core::kRegistrationRefreshTimer, kRegistrationRefreshMs}}) {
    loop_.set_timer(id, period);
  }
  ready_ = true;
}

void CMainFrame::on_message(core::Message& message) {
  if (torn_down_) return;
  auto text = [&message]() -> std::string {
    auto* payload = dynamic_cast<core::TextPayload*>(message.payload.get());
    return payload != nullptr ? payload->text : std::string();
  };
  switch (message.id) {
    case core::UM_START: start_sequence(); break;
    case core::UM_HANDOVER: on_handover(message.wparam, text()); break;
    case core::UM_CARRY_OUT_REQUEST:
      if (ready_) carry_out(text());
      break;
    case core::UM_EXIT_COMMAND: request_exit(); break;
    case core::UM_SHOW_VIEW: front_.show_view(static_cast<int>(message.wparam)); break;
    case core::UM_SEARCH_STOPPED:
      if (exit_pending_) continue_exit();
      break;
    case core::UM_DOWNLOADS_STOPPED:
      if (closing_) close_frame();
      break;
    case core::UM_LOGIN_DONE:
      front_.login_done(session_.record(), settings_.server_usable);
      if (setup_.list_sync != nullptr) loop_.set_timer(core::kListFetchTimer, kListFetchFirstMs);
      if (setup_.parts.downloads != nullptr) setup_.parts.downloads->refresh();
      if (setup_.parts.search != nullptr) setup_.parts.search->login_done();
      break;
    case core::UM_SIGN_IN_DONE:
      if (auto* payload = dynamic_cast<SignInPayload*>(message.payload.get())) on_signed_in(*payload);
      break;
    case core::UM_AUTH_CLOSED: on_auth_closed(static_cast<int>(message.wparam)); break;
    case core::UM_AUTH_CLOSE_EXAMINED: on_auth_close_examined(message.wparam == 1); break;
    case core::UM_FILE_INDEX_CLOSED: break;
    // The client already counts the connection as closed: the next refresh registers again.
    case core::UM_REGISTRATION_CLOSED:
      last_registration_close_ = static_cast<int>(message.wparam);
      if (message.wparam == 0) util::LogSystem("등록서버에서 강제종료되었습니다.");
      break;
    // A registration or announcement that finished after the session ended does not outlive it.
    case core::UM_REGISTRATION_DONE: on_registration_done(message.wparam == 1, static_cast<int>(message.lparam)); break;
    case core::UM_SET_SERVER_VISIBILITY: set_server_visibility(message.wparam == 1); break;
    case core::UM_SERVER_VISIBILITY_DONE: on_server_visibility_done(message.wparam == 1, message.lparam == 1); break;
    case core::UM_FILE_INDEX_DONE:
      announcing_ = false;
      if (!session_.logged_in()) file_index_.close();
      break;
    case core::UM_RELOGIN_DONE: on_relogin_done(message.wparam == 1); break;
    case core::UM_HASH_DONE: on_hash_done(message.wparam == 1, message.lparam == 1); break;
    case core::UM_SERVER_LISTS_FETCHED:
      if (auto* payload = dynamic_cast<ServerListsPayload*>(message.payload.get())) front_.show_server_lists(payload->lists);
      break;
    case core::UM_WARNINGS_CHECKED:
      if (auto* payload = dynamic_cast<WarningsPayload*>(message.payload.get())) apply_warnings(payload->check);
      break;
    case core::UM_USER_LISTS_FETCHED:
      if (message.payload != nullptr) {
        loop_.set_timer(core::kListFetchTimer, kListFetchRetryMs);
      } else {
        util::LogSystem("친구/차단 목록 받아오기 성공");
        loop_.kill_timer(core::kListFetchTimer);
      }
      break;
    case core::UM_SERVICE_NOTICE: front_.show_service_notice(text()); break;
    case core::UM_DOWNLOAD_FINISHED: front_.notify_download_finished(text()); break;
    case core::UM_SERVICE_LINE: front_.service_line_arrived(); break;
    case core::UM_SERVICE_MEMO:
      if (auto* memo = dynamic_cast<service::MemoPayload*>(message.payload.get());
          memo != nullptr && base::iequals_ascii(memo->marker, service::kServiceNoticeMarker)) {
        prompt_.tell(memo->sender);
      }
      break;
    case core::UM_ONLINE_COUNT: front_.show_online_count(static_cast<uint32_t>(message.wparam)); break;
    case core::UM_POINT_BALANCE:
      if (auto* balance = dynamic_cast<PointBalancePayload*>(message.payload.get())) {
        points_text_ = util::FormatNumber(balance->points);
        front_.show_point_balance(point_balance_lines(*balance));
      }
      break;
    case core::UM_POINT_SHORTAGE: front_.show_point_shortage(); break;
    case core::UM_FILE_INFO_REPLY: file_info_reply(text()); break;
    case core::UM_FILE_LINK_REPLY: file_link_reply(text()); break;
    default: break;
  }
}

void CMainFrame::on_timer(core::TimerId id) {
  if (torn_down_) return;
  switch (id) {
    case core::kListFetchTimer: fetch_user_lists(); break;
    case core::kKeepAliveTimer:
      run_service_task([this] { keep_alive(); });
      if (setup_.parts.downloads != nullptr && settings_.values().auto_retry_stop_down) setup_.parts.downloads->retry_stopped_downloads();
      break;
    case core::kStatusTimer:
      update_transfer_status();
      scratch_.Expire();
      if (setup_.parts.remote != nullptr) setup_.parts.remote->check_idle();
      break;
    case core::kThrottleTimer: throttle(); break;
    case core::kReloginTimer:
      if (relogin_wanted_) relogin_and_register();
      break;
    case core::kWarningTimer:
      if (!warnings_stopped_) check_warnings();
      break;
    case core::kBalanceTimer:
      if (setup_.parts.points != nullptr && setup_.parts.points->running() && session_.logged_in() && !util::IsGuest()) {
        setup_.parts.points->query_balance();
      }
      break;
    case core::kRegistrationRefreshTimer: refresh_registration(false, false); break;
    case core::kServerButtonTimer:
      loop_.kill_timer(core::kServerButtonTimer);
      if (session_.logged_in()) front_.show_server_start_button(true);
      break;
    case core::kExitWaitTimer:
      loop_.kill_timer(core::kExitWaitTimer);
      close_frame();
      break;
    default: break;
  }
}

void CMainFrame::keep_alive() {
  auth_.keep_alive();
  if (registration_.registered()) {
    const share::ShareTotalsValue totals = totals_.get();
    registration_.send_counters({totals.mib, totals.files}, meter_.highest_upload_speed);
  }
  file_index_.keep_alive();
}

void CMainFrame::update_transfer_status() {
  TransferFigures figures;
  figures.download_speed = display_download_.read();
  figures.upload_speed = display_upload_.read();
  figures.downloads = setup_.parts.downloads != nullptr ? setup_.parts.downloads->running_downloads() : 0;
  figures.uploads = capped_running_uploads();
  const bool guest = !session_.logged_in() || util::IsGuest();
  front_.show_transfer_status(transfer_status(window_title(), guest ? std::nullopt : std::optional(points_text_), figures));
}

void CMainFrame::throttle() {
  // Read every second, so that uploads that start again are measured over the
  // last second, not since they last ran. Downloads pace themselves by the
  // bytes they write (the meter's download pacer).
  const double upload_speed = throttle_upload_.read();
  const int uploads = meter_.running_uploads;
  // Peers are told the speed of the uploads running now: none, none.
  meter_.upload_speed = uploads > 0 ? upload_speed : 0.0;
  if (uploads > 0) {
    if (upload_speed > meter_.highest_upload_speed) meter_.highest_upload_speed = static_cast<uint32_t>(upload_speed);
    meter_.upload_delay_ms = core::next_throttle_delay(meter_.upload_delay_ms, upload_speed, settings_.upload_speed_limit, uploads);
  }
}

void CMainFrame::fetch_user_lists() {
  if (setup_.list_sync == nullptr) return;
  util::LogSystem("친구/차단 목록 받아오기 시작");
  server::ListSyncHandler* lists = setup_.list_sync;
  run_service_task([this, lists] {
    std::unique_ptr<core::MessagePayload> failure;
    if (std::optional<std::string> error = lists->refresh_friends()) {
      util::LogSystem("친구목록 받아오기 에러: %s", error->c_str());
      failure = std::make_unique<core::TextPayload>(*error);
    } else if (std::optional<std::string> error = lists->refresh_blocks()) {
      util::LogSystem("차단목록 받아오기 에러: %s", error->c_str());
      failure = std::make_unique<core::TextPayload>(*error);
    }
    post(core::UM_USER_LISTS_FETCHED, 0, 0, std::move(failure));
  });
  // The next try is set when this one reports; until then the timer must not tick again.
  loop_.kill_timer(core::kListFetchTimer);
}

HubStatus CMainFrame::status() const {
  HubStatus status;
  status.ready = ready_;
  status.logged_in = session_.logged_in();
  status.connected = auth_.connected();
  status.user_id = session_.identity().user_id;
  status.server_usable = settings_.server_usable;
  status.share_server_running = local_server_.is_running();
  status.share_port = local_server_.port();
  status.registered = registration_.registered();
  status.server_shown = settings_.values().show_server;
  status.channel = registration_.channel();
  status.file_index_open = file_index_.connected();
  status.hashing = hashing_.active();
  if (std::shared_ptr<share::HashRun> run = hashing_.active_run()) {
    status.hash_progress = run->progress();
    status.hash_counts = run->counts();
  }
  const share::ShareTotalsValue totals = totals_.get();
  status.shared_mib = totals.mib;
  status.shared_files = totals.files;
  status.uploaded_bytes = meter_.uploaded_bytes;
  status.downloaded_bytes = meter_.downloaded_bytes;
  status.running_uploads = meter_.running_uploads;
  status.running_downloads = setup_.parts.downloads != nullptr ? setup_.parts.downloads->running_downloads() : 0;
  status.control_connections = local_server_.control_count();
  status.uploads = monitor_.upload_rows();
  return status;
}

void CMainFrame::run_service_task(std::function<void()> task) {
  if (setup_.run_service_task) {
    setup_.run_service_task(std::move(task));
  } else if (service_worker_ != nullptr) {
    service_worker_->run(std::move(task));
  }
}

void CMainFrame::post(core::MessageId id, uint64_t wparam, int64_t lparam, std::unique_ptr<core::MessagePayload> payload) {
  loop_.post({id, wparam, lparam, std::move(payload)});
}

bool CMainFrame::settings_valid() { return settings_.check_share_settings(); }

int CMainFrame::capped_running_uploads() const {
  return std::min<int>(meter_.running_uploads, static_cast<int>(settings_.values().max_upload));
}

std::string CMainFrame::window_title() const {
  if (!session_.logged_in()) return base::string_printf("Dovel %s", kBuildName);
  return base::string_printf("Dovel %s - %s", kBuildName, session_.identity().user_id.c_str());
}

}  // namespace dovel::mainframe
