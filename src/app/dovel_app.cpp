#include "app/dovel_app.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "app/service_status.h"
#include "app/update_host.h"
#include "app/update_step.h"
#include "base/string_printf.h"
#include "base/text.h"
#include "core/message_ids.h"
#include "download/download_speed_limit.h"
#include "download/leftover_question.h"
#include "server/startup_port_check.h"
#include "service/launcher_address.h"
#include "settings/service_switches.h"
#include "util/current_user.h"
#include "util/handed_request.h"
#include "util/log_files.h"
#include "util/url_protocol.h"

namespace dovel::app {

AppSetup app_setup(const ProgramOptions& options, const platform::DataHome& home) {
  AppSetup setup;
  setup.home = home;
  setup.bind_address = options.bind_address;
  setup.service_host = options.service_host;
  setup.request_text = options.request;
  return setup;
}

CDovelApp::CDovelApp(AppSetup setup) : setup_(std::move(setup)), profile_(setup_.home.profile_file()) {}

CDovelApp::~CDovelApp() {
  // Nothing may post to the hub once it goes; the hub joins its own threads
  // before the databases and the settings it uses are closed.
  if (launcher_ != nullptr) launcher_->stop();
  if (instance_ != nullptr) instance_->stop();
  // The search queues its results' files into the download list: it goes first.
  search_results_.attach(nullptr);
  search_.reset();
  if (downloads_ != nullptr) downloads_->shut_down();
  downloads_.reset();
  main_frame_.reset();
  if (std::shared_ptr<util::LogFiles> log = util::ProcessLog()) log->SetStatusSink({});
}

bool CDovelApp::end_start(const std::string& message) {
  setup_.prompt->tell(message);
  return false;
}

StartOutcome CDovelApp::InitInstance() {
  platform::ignore_sigpipe();
  if (!platform::create_data_home(setup_.home)) {
    end_start(base::string_printf("데이터 폴더(%s)를 만들 수 없습니다.", setup_.home.root.string().c_str()));
    return StartOutcome::Ended;
  }
  util::ConfigureLogFiles(setup_.home.root, platform::system_clock());
  if (setup_.status_log != nullptr) {
    mainframe::StatusLog* log = setup_.status_log;
    util::ProcessLog()->SetStatusSink([log](const std::string& line) { log->append(std::string(base::trim(line))); });
  }
  if (!setup_.request_text.empty()) {
    if (std::optional<util::CLaunchRequest> request = util::ReadHandedRequest(setup_.request_text)) request_ = std::move(*request);
  }

  const InstanceFiles files = InstanceFiles::in(setup_.home.root);
  instance_ = FirstInstance::claim(files);
  if (instance_ == nullptr) {
    const uint32_t kind = static_cast<uint32_t>(request_.kind);
    hand_over(files, kind, request_.kind == util::RequestKind::None ? std::string() : request_.raw);
    return StartOutcome::HandedOver;
  }

  load_endpoints();
  const UpdateHost update_host = WebUpdateHost(endpoints_.web_base);
  const ServiceStatus status = CheckServiceStatus(update_host);
  if (status.closed_for_maintenance) {
    end_start(status.notice);
    return StartOutcome::Ended;
  }
  if (RunUpdateStep(update_host, setup_.home.root) == UpdateStepOutcome::UpdaterStarted) return StartOutcome::Ended;

  if (std::optional<std::string> failure = open_local_databases(setup_.home.root, databases_)) {
    end_start(*failure);
    return StartOutcome::Ended;
  }
  util::SetCurrentUserId(util::kGuestUserId);
  for (const char* kind : {"System", "Upload", "Download"}) {
    std::error_code ignored;
    std::filesystem::create_directories(setup_.home.root / "Log" / kind, ignored);
  }
  store_ = std::make_unique<platform::RegistryStore>(setup_.home.registry_folder());
  settings_ = std::make_unique<settings::Settings>(*store_, setup_.home.root);
  settings_->Load();

  mainframe::MainFrameSetup hub;
  hub.settings = settings_.get();
  hub.program_folder = setup_.home.root;
  hub.endpoints = endpoints_;
  hub.loop = setup_.loop;
  hub.front = setup_.front;
  hub.prompt = setup_.prompt;
  hub.parts = setup_.parts;
  hub.search_results = &search_results_;
  main_frame_ = std::make_unique<mainframe::CMainFrame>(std::move(hub));
  main_frame_->set_subtitle_switch(settings::ServiceSwitches::psub());
  downloads_ = std::make_unique<DownloadSystem>(*settings_, databases_.info, *main_frame_, *setup_.loop, endpoints_,
                                                BrowseFrontParts{setup_.browser_front, &profile_});
  search_ = std::make_unique<SearchSystem>(
      *settings_, *main_frame_, *setup_.loop, endpoints_, [front = setup_.front] { front->ask_for_login(); },
      [&manager = downloads_->manager()](const download::AddRequest& request) { return manager.add(request); });
  search_results_.attach(&search_->client());
  mainframe::HubParts parts = setup_.parts;
  parts.downloads = downloads_->parts().downloads;
  parts.remote = downloads_->parts().remote;
  parts.search = search_->part();
  main_frame_->set_parts(parts);
  // The speed limits the transfer lists' boxes keep, as those lists open.
  const settings::SettingsRegistry::Reader stored = settings_->registry().reader();
  main_frame_->upload_monitor().select_upload_limit(stored.read(settings::kLimitUploadSpeed));
  download::apply_download_limit_row(downloads_->download_settings(), stored.read(settings::kLimitDownloadSpeed));
  // The queue of the last run is back before anything can be added to it.
  const download::RestoredQueue restored = downloads_->manager().restore();
  if (!restored.leftovers.empty() && setup_.front != nullptr) {
    setup_.front->ask_about_leftover_files(download::leftover_files_question(restored.leftovers), restored.temporary_folder.string());
  }
  if (setup_.register_url_protocol) {
    if (std::optional<util::DesktopIntegrationPaths> paths = util::DesktopIntegrationPathsFromEnvironment()) {
      util::RegisterUrlProtocol(*paths, setup_.executable);
    }
  }
  run_port_check();
  main_frame_->create();
  open_channels();
  main_frame_->set_pending_request(request_);
  setup_.loop->post({core::UM_START, 0, 0, nullptr});
  return StartOutcome::Running;
}

void CDovelApp::load_endpoints() {
  service::ServiceConfigLoad load = service::load_service_config(setup_.home.root);
  for (const std::string& problem : load.problems) util::LogSystem("service.conf: %s", problem.c_str());
  if (setup_.service_host) {
    load.config.host_a = *setup_.service_host;
    load.config.host_b = *setup_.service_host;
    load.config.web_base = service::web_base_on(*setup_.service_host);
  }
  if (setup_.bind_address) load.config.bind_address = *setup_.bind_address;
  endpoints_ = load.config.endpoints();
}

void CDovelApp::run_port_check() {
  const server::PortTester tester(endpoints_, setup_.port_test_timing);
  server::ShareServerSettings server_settings(*settings_);
  const server::StartupPortCheckOutcome outcome = server::run_startup_port_check(server_settings, tester);
  if (!outcome.udp_warning.empty()) setup_.prompt->tell(outcome.udp_warning);
}

void CDovelApp::open_channels() {
  if (!instance_->serve(*setup_.loop)) {
    util::LogSystem("다른 실행의 요청을 받을 수 없습니다: %s", std::strerror(errno));
  }
  launcher_ = std::make_unique<LauncherChannel>(*setup_.loop);
  const service::Endpoint channel = service::launcher_channel_endpoint(endpoints_);
  if (!launcher_->start(channel.address, channel.port)) {
    util::LogSystem("런처 채널(%s:%d)을 열 수 없습니다: %s", platform::format_ipv4(channel.address).c_str(), channel.port,
                    std::strerror(errno));
  }
}

}  // namespace dovel::app
