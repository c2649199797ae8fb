#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/message_loop.h"
#include "core/task_worker.h"
#include "core/transfer_meter.h"
#include "mainframe/hub_front.h"
#include "mainframe/hub_parts.h"
#include "mainframe/login_lock.h"
#include "mainframe/ping_thread.h"
#include "mainframe/speed_meter.h"
#include "platform/clock.h"
#include "server/local_server.h"
#include "server/search_responder.h"
#include "server/share_server_context.h"
#include "server/share_server_settings.h"
#include "server/upload_monitor.h"
#include "service/auth_client.h"
#include "service/endpoints.h"
#include "service/file_index_client.h"
#include "service/online_server_list.h"
#include "service/registration_settings.h"
#include "service/registration_client.h"
#include "service/server_directory.h"
#include "service/service_session.h"
#include "service/session_flow.h"
#include "service/user_list_store.h"
#include "settings/settings.h"
#include "share/archive_check.h"
#include "share/hash_runner.h"
#include "share/hash_settings.h"
#include "share/share_totals.h"
#include "util/launch_request.h"
#include "util/scratch_store.h"

namespace dovel::mainframe {

// The periods of the hub's timers (their ids are in core/message_ids.h).
inline constexpr int kListFetchFirstMs = 1000;
inline constexpr int kListFetchRetryMs = 30000;
inline constexpr int kKeepAliveMs = 60000;
inline constexpr int kStatusMs = 5000;
inline constexpr int kThrottleMs = 1000;
inline constexpr int kReloginMs = 120000;
inline constexpr int kWarningMs = 3600000;
inline constexpr int kBalanceMs = 300000;
inline constexpr int kRegistrationRefreshMs = 5000;
inline constexpr int kServerButtonMs = 5000;
inline constexpr int kExitWaitMs = 5000;

inline constexpr const char* kBuildName = "Build 11672";

// Whose ID and password a login tries.
enum class LoginCredentials {
  Typed,    // the login window's
  Stored,   // the data home's, for the automatic login
  Request,  // those a dovel:// request carries
};

// The results of the hub's service work, posted back to it.
struct SignInPayload : core::MessagePayload {
  service::SignIn outcome;
  LoginCredentials credentials = LoginCredentials::Typed;
};
struct ServerListsPayload : core::MessagePayload {
  service::ServerLists lists;
};
struct WarningsPayload : core::MessagePayload {
  service::WarningCheck check;
};

// What the program hands to the hub. Every pointer outlives it.
struct MainFrameSetup {
  settings::Settings* settings = nullptr;
  std::filesystem::path program_folder;  // the data home
  service::ServiceEndpoints endpoints;
  core::MessageLoop* loop = nullptr;
  HubFront* front = nullptr;
  UserPrompt* prompt = nullptr;
  HubParts parts;
  // Results of this copy's own searches and the service's list notifications;
  // null until those subsystems are there (results are dropped, list requests answered with an error).
  wire::SearchResultSink* search_results = nullptr;
  server::ListSyncHandler* list_sync = nullptr;
  const platform::Clock* clock = &platform::system_clock();
  // The C library's rand in the program; fixed in tests.
  std::function<int()> random;
  PingPeriod ping_period;
  // Where the hub's network work runs; null: a worker thread of the hub's own.
  // Tests pass an inline runner to follow the exchanges step by step.
  std::function<void(std::function<void()>)> run_service_task;
  // The program started for "Sidecar" with the exit banner's address (empty: none).
  std::filesystem::path banner_program;
  // The chat program started from the menu bar (empty: none).
  std::filesystem::path chat_program;
};

// A snapshot of the hub's state for the fronts, safe to take on any thread.
struct HubStatus {
  bool ready = false;
  bool logged_in = false;
  bool connected = false;
  std::string user_id;
  bool server_usable = false;
  bool share_server_running = false;
  uint16_t share_port = 0;
  bool registered = false;
  // Whether the registration lists this server publicly ("ShowServer").
  bool server_shown = false;
  int channel = -1;
  bool file_index_open = false;
  bool hashing = false;
  share::HashProgress hash_progress;
  share::HashCounts hash_counts;
  uint32_t shared_mib = 0;
  uint32_t shared_files = 0;
  uint64_t uploaded_bytes = 0;
  uint64_t downloaded_bytes = 0;
  int running_uploads = 0;
  int running_downloads = 0;
  size_t control_connections = 0;
  std::vector<server::UploadRow> uploads;
};

// The program's hub: owns the service objects and the share server, runs every
// handler and timer on the thread that drives its message loop, and decides what
// follows each event (start the server after hashing, log in again after a lost
// connection, carry out a request). Blocking network work runs on its service
// worker and comes back as messages.
class CMainFrame final : public core::MessageHandler {
 public:
  explicit CMainFrame(MainFrameSetup setup);
  ~CMainFrame() override;
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // Window creation, after the start-up port check: the ping thread, the title,
  // the timers; then the hub is ready for handed-over requests.
  void create();
  void on_message(core::Message& message) override;
  void on_timer(core::TimerId id) override;

  // The parts made after the hub, from its session and share server (before create()).
  void set_parts(const HubParts& parts) { setup_.parts = parts; }
  // The request of the command line, carried out at the end of the start sequence.
  void set_pending_request(const util::CLaunchRequest& request);
  // The login window's "connect".
  void log_in(const std::string& user_id, const std::string& password, bool auto_login);
  // The menu's logout (with the question while transfers run) and "end session" (1010).
  void log_out();
  // The menu bar's share-server start.
  void start_share_server_by_hand();
  // The one silent login again that a request refused for a lost service
  // connection makes, in the background; the registration follows as after
  // the relogin timer. Any thread.
  void reconnect_in_background() { relogin_and_register(); }
  // The visibility switch: shows or hides this server in the server lists while
  // it is registered; the setting follows when the service takes the change.
  void set_server_visibility(bool shown);
  // The server-list window's refresh: every channel's list is fetched in the
  // background and comes to the front.
  void refresh_server_lists();
  // The service's file-information page of a file, in a small browser window.
  void open_file_info_page(const std::string& hash, const std::string& size, const std::string& name);
  // Hands a completed download to the subtitle upload when the service asks for them.
  bool QueueSubtitleUpload(const std::string& path);
  void set_subtitle_uploader(core::MessageTarget* uploader) { subtitle_uploader_ = uploader; }
  // The menu bar's chat program (logs in first when needed).
  bool launch_chat_program();
  // The keep-alive on every open service connection (timer 100 and the ping thread).
  void keep_alive();
  // Whether the status document said the service wants completed downloads for subtitles.
  void set_subtitle_switch(bool psub) { psub_ = psub; }

  HubStatus status() const;
  bool torn_down() const { return torn_down_; }
  service::ServiceSession& session() { return session_; }
  core::TransferMeter& meter() { return meter_; }
  server::UploadMonitor& upload_monitor() { return monitor_; }
  server::LocalServer& local_server() { return local_server_; }
  share::HashRunner& hashing() { return hashing_; }
  util::ScratchStore& scratch_store() { return scratch_; }
  service::AuthClient& auth() { return auth_; }
  service::RegistrationClient& registration() { return registration_; }
  service::FileIndexClient& file_index() { return file_index_; }
  // The servers of the last server-list refresh.
  const service::OnlineServerList& online_servers() const { return online_servers_; }

 private:
  void start_sequence();
  void sign_in(const std::string& user_id, const std::string& password, bool auto_login, LoginCredentials credentials);
  void on_signed_in(const SignInPayload& signed_in);
  void after_login();
  void on_auth_closed(int code);
  void on_auth_close_examined(bool held_elsewhere);
  void end_session();
  void on_hash_done(bool restart, bool reopen_file_index);
  void refresh_registration(bool reset, bool reconnect);
  void register_server();
  void on_registration_done(bool registered, int result);
  void on_server_visibility_done(bool shown, bool changed);
  void reopen_file_index();
  void relogin_and_register();
  void on_relogin_done(bool connected);
  void check_warnings();
  void apply_warnings(const service::WarningCheck& check);
  void stop_share_server();
  bool start_share_server();

  void carry_out(const std::string& text);
  void carry_out_pending_request();
  void after_failed_login(LoginCredentials tried);
  void on_handover(uint64_t kind, const std::string& text);

  void request_exit();
  void continue_exit();
  void close_frame();
  void tear_down();

  void update_transfer_status();
  void throttle();
  void fetch_user_lists();
  void file_info_reply(const std::string& text);
  void file_link_reply(const std::string& text);

  void run_service_task(std::function<void()> task);
  void post(core::MessageId id, uint64_t wparam = 0, int64_t lparam = 0, std::unique_ptr<core::MessagePayload> payload = nullptr);
  bool settings_valid();
  bool stored_credentials(std::string& user_id, std::string& password) const;
  int capped_running_uploads() const;
  std::string window_title() const;

  MainFrameSetup setup_;
  settings::Settings& settings_;
  core::MessageLoop& loop_;
  HubFront& front_;
  UserPrompt& prompt_;
  const platform::Clock& clock_;
  // The subsystems' views of the one settings object.
  server::ShareServerSettings server_settings_;
  share::HashSettings hash_settings_;
  service::RegistrationSettings registration_settings_;

  core::TransferMeter meter_;
  share::ShareTotals totals_;
  service::ServiceSession session_;
  service::UserListStore friends_{"buddy"};
  service::UserListStore blocks_{"black"};
  share::NoArchiveCheck archive_;
  util::ScratchStore scratch_;
  service::OnlineServerList online_servers_;
  server::UploadMonitor monitor_;
  share::HashRunner hashing_;
  server::ShareServerContext share_context_;
  std::unique_ptr<wire::SearchResultSink> fallback_results_;
  std::unique_ptr<server::ListSyncHandler> fallback_lists_;
  server::SearchResponder responder_;
  server::LocalServer local_server_;
  service::AuthClient auth_;
  service::RegistrationClient registration_;
  service::FileIndexClient file_index_;
  LoginLock login_lock_;
  SpeedReader display_download_;
  SpeedReader display_upload_;
  SpeedReader throttle_upload_;
  core::MessageTarget* subtitle_uploader_ = nullptr;

  // Hub-thread state.
  util::CLaunchRequest pending_request_;
  std::atomic<bool> ready_{false};
  bool torn_down_ = false;
  bool signing_in_ = false;
  bool registering_ = false;
  bool announcing_ = false;
  bool exit_pending_ = false;
  bool closing_ = false;
  bool warnings_stopped_ = false;
  bool sharing_suspended_ = false;
  bool psub_ = false;
  int last_auth_close_ = 0;
  // The session lost its connection (or the service went away) and is logged in
  // again silently, at once and on every tick of the relogin timer.
  bool relogin_wanted_ = false;
  int last_registration_close_ = -1;
  int last_registration_result_ = 0;
  int list_channel_ = 0;
  std::string points_text_ = "0";

  // Last: they call into everything above, so they stop first.
  std::unique_ptr<core::TaskWorker> service_worker_;
  std::unique_ptr<CPingThread> ping_;
};

}  // namespace dovel::mainframe
