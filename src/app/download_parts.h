#pragma once

#include <functional>
#include <optional>
#include <string>

#include "browse/download_adder.h"
#include "browse/remote_browser.h"
#include "core/task_worker.h"
#include "download/download_manager.h"
#include "download/queue_host.h"
#include "mainframe/hub_parts.h"
#include "mainframe/main_frame.h"
#include "settings/settings.h"

namespace dovel::app {

// What the download queue asks of the program, answered from the hub's state.
class HubQueueHost final : public download::QueueHost {
 public:
  HubQueueHost(settings::Settings& settings, mainframe::CMainFrame& hub, core::MessageTarget& loop)
      : settings_(settings), hub_(hub), loop_(loop) {}

  std::string download_folder() const override;
  int simultaneous_limit_setting() const override;
  bool service_ready() override;
  bool retry_allowed() const override;
  void show_downloads() override;

 private:
  settings::Settings& settings_;
  mainframe::CMainFrame& hub_;
  core::MessageTarget& loop_;
};

// The browse sessions' files go to the download queue; a file already in it
// counts as queued.
class QueueAdder final : public browse::DownloadAdder {
 public:
  explicit QueueAdder(download::DownloadManager& manager) : manager_(manager) {}
  bool add(const browse::DownloadRequest& request) override;

 private:
  download::DownloadManager& manager_;
};

// The download queue as the hub drives it: the exit, the retry timer and the
// requests of dovel:// links. A link that names its source by user ID is
// resolved on a worker of its own before it is queued.
class DownloadsPart final : public mainframe::DownloadsControl {
 public:
  using AddressLookup = std::function<std::optional<service::ServerAddress>(const std::string& user_id)>;

  DownloadsPart(download::DownloadManager& manager, core::MessageTarget& loop, AddressLookup lookup);
  ~DownloadsPart() override { resolver_.stop(); }

  int running_downloads() const override { return manager_.running_count(); }
  bool stop_all_for_exit() override;
  void retry_stopped_downloads() override { manager_.auto_retry(); }
  void refresh() override {}
  void queue_file(const util::CLaunchRequest& request) override;
  void queue_by_hash(const util::CLaunchRequest& request) override;

 private:
  download::DownloadManager& manager_;
  core::MessageTarget& loop_;
  AddressLookup lookup_;
  core::TaskWorker resolver_;
};

// The remote view as the hub opens it for dovel://server requests.
class RemotePart final : public mainframe::RemoteView {
 public:
  explicit RemotePart(browse::RemoteBrowser& browser) : browser_(browser) {}
  void open_server(const util::CLaunchRequest& request) override;
  void close_session() override { browser_.stop_session(); }
  void check_idle() override { browser_.check_idle(); }

 private:
  browse::RemoteBrowser& browser_;
};

}  // namespace dovel::app
