#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/download_system.h"
#include "app/launcher_channel.h"
#include "app/local_databases.h"
#include "app/program_options.h"
#include "app/search_system.h"
#include "app/single_instance.h"
#include "core/message_loop.h"
#include "mainframe/hub_front.h"
#include "mainframe/hub_parts.h"
#include "mainframe/main_frame.h"
#include "mainframe/status_log.h"
#include "platform/data_home.h"
#include "platform/profile_ini.h"
#include "platform/registry_store.h"
#include "server/port_check.h"
#include "settings/settings.h"

namespace dovel::app {

// What the front (the desktop client or the headless program) gives the application.
struct AppSetup {
  platform::DataHome home;
  // Where this client's share server, search responder and service connections
  // live (--bind); none: every address. The launcher channel stays on loopback
  // (service/launcher_address.h).
  std::optional<platform::Ipv4> bind_address;
  // A stand-in service on one address with its default ports (--service).
  std::optional<platform::Ipv4> service_host;
  // The dovel:// request of the command line ("" for none).
  std::string request_text;
  core::MessageLoop* loop = nullptr;
  mainframe::HubFront* front = nullptr;
  mainframe::UserPrompt* prompt = nullptr;
  mainframe::StatusLog* status_log = nullptr;
  // The browse window's side: password prompts and tab switches (none: never prompts).
  browse::BrowserFront* browser_front = nullptr;
  mainframe::HubParts parts;
  // The desktop client registers itself as the dovel:// handler; the headless one does not.
  bool register_url_protocol = false;
  std::filesystem::path executable;
  server::PortTestTiming port_test_timing;
};

// The setup of a client started with these options on this data home; the
// loop, the front, the prompt and the status log are the caller's to add.
AppSetup app_setup(const ProgramOptions& options, const platform::DataHome& home);

enum class StartOutcome {
  Running,     // the main frame runs: drive the loop
  HandedOver,  // another copy runs on this data home and has the request (or a copy started with this one hands over)
  Ended,       // the start ended; the prompt has said why
};

// The application object: brings the program up in its fixed order, makes sure
// one copy runs per data home (a second copy hands its request over and ends),
// and takes everything down again in order when it goes.
class CDovelApp {
 public:
  explicit CDovelApp(AppSetup setup);
  ~CDovelApp();
  CDovelApp(const CDovelApp&) = delete;
  CDovelApp& operator=(const CDovelApp&) = delete;

  StartOutcome InitInstance();
  // Valid once InitInstance said Running.
  mainframe::CMainFrame& main_frame() { return *main_frame_; }
  DownloadSystem& downloads() { return *downloads_; }
  settings::Settings& settings() { return *settings_; }
  SearchSystem& search() { return *search_; }
  const service::ServiceEndpoints& endpoints() const { return endpoints_; }
  // The data home's profile file: window placement and the views' choices.
  platform::ProfileIni& profile() { return profile_; }

 private:
  bool end_start(const std::string& message);
  void load_endpoints();
  void run_port_check();
  void open_channels();

  AppSetup setup_;
  platform::ProfileIni profile_;
  util::CLaunchRequest request_;
  service::ServiceEndpoints endpoints_;
  std::unique_ptr<FirstInstance> instance_;
  LocalDatabases databases_;
  std::unique_ptr<platform::RegistryStore> store_;
  std::unique_ptr<settings::Settings> settings_;
  // Outlives the hub, whose search responder hands results to it.
  ResultSinkSlot search_results_;
  std::unique_ptr<mainframe::CMainFrame> main_frame_;
  std::unique_ptr<DownloadSystem> downloads_;
  std::unique_ptr<SearchSystem> search_;
  std::unique_ptr<LauncherChannel> launcher_;
};

}  // namespace dovel::app
