#pragma once

#include "app/download_parts.h"
#include "app/hub_browse_links.h"
#include "browse/browse_settings.h"
#include "browse/remote_browser.h"
#include "db/info_database.h"
#include "download/content_filter.h"
#include "download/download_manager.h"
#include "download/download_run.h"
#include "download/download_settings.h"
#include "download/false_reports.h"
#include "download/paid_content.h"
#include "download/peer_locator.h"
#include "mainframe/main_frame.h"
#include "settings/settings.h"
#include "share/archive_check.h"

namespace dovel::app {

// The paid state, the point allowance and the false-file reports, asked of the
// service's point servers.
class ServicePaidContent final : public download::PaidContent, public download::FalseReports {
 public:
  ServicePaidContent(service::ServiceEndpoints endpoints, service::ServiceSession& session, const settings::SettingsRegistry& registry)
      : endpoints_(std::move(endpoints)), session_(session), registry_(registry) {}

  std::optional<int> paid_state(const service::SessionIdentity& identity, const std::string& hash) override;
  int check_allowance(int64_t megabytes) override;
  // Paying for content is not there yet, and the service lists every file as free.
  bool charge_paid_download(const service::SessionIdentity&, const std::string&) override { return false; }
  bool paid_download_confirmed(const std::string&) override { return false; }
  bool stop_for_false_reports(const std::string& hash) override;

 private:
  const service::ServiceEndpoints endpoints_;
  service::ServiceSession& session_;
  const settings::SettingsRegistry& registry_;
};

// What the front gives the remote browser: the window that asks for folder
// passwords and switches tabs (none: the headless program, which never prompts)
// and the profile its sort choice is kept in (none: not kept).
struct BrowseFrontParts {
  browse::BrowserFront* front = nullptr;
  platform::ProfileIni* profile = nullptr;
};

// The downloading side of the program, made once the hub exists: the transfer
// runs, the download queue (restored from the info database), the remote
// browser, and the parts the hub and the control socket drive.
class DownloadSystem {
 public:
  DownloadSystem(settings::Settings& settings, db::InfoDatabase& info, mainframe::CMainFrame& hub, core::MessageTarget& loop,
                 const service::ServiceEndpoints& endpoints, BrowseFrontParts browse_front = {});
  ~DownloadSystem();
  DownloadSystem(const DownloadSystem&) = delete;
  DownloadSystem& operator=(const DownloadSystem&) = delete;

  mainframe::HubParts parts() { return {&downloads_part_, nullptr, &remote_part_, nullptr}; }
  download::DownloadManager& manager() { return manager_; }
  browse::RemoteBrowser& browser() { return browser_; }
  download::DownloadSettings& download_settings() { return download_settings_; }
  // Stops the browse session, cancels and joins every run; before the hub goes.
  void shut_down();

 private:
  mainframe::CMainFrame& hub_;
  download::DownloadSettings download_settings_;
  browse::BrowseSettings browse_settings_;
  share::NoArchiveCheck archive_;
  download::NoContentFilter filter_;
  ServicePaidContent paid_;
  download::ServiceLocator locator_;
  // The runner reports the end of a run to the manager, which only the manager
  // can have started: the manager is made after the runner and goes before it.
  download::DownloadRun runner_;
  HubQueueHost queue_host_;
  download::DownloadManager manager_;
  QueueAdder adder_;
  HubServiceLink service_link_;
  HubOnlineServers online_servers_;
  browse::RemoteBrowser browser_;
  DownloadsPart downloads_part_;
  RemotePart remote_part_;
  bool shut_down_ = false;
};

}  // namespace dovel::app
