#include "app/download_parts.h"

#include "core/message_ids.h"
#include "mainframe/hub_front.h"

namespace dovel::app {

std::string HubQueueHost::download_folder() const { return settings_.values().down_path; }

int HubQueueHost::simultaneous_limit_setting() const { return static_cast<int>(settings_.values().sel_limit_down_same_time); }

bool HubQueueHost::service_ready() {
  if (hub_.session().logged_in() && hub_.auth().connected()) return true;
  hub_.reconnect_in_background();
  return false;
}

bool HubQueueHost::retry_allowed() const {
  if (!settings_.values().auto_retry_stop_down || !hub_.auth().connected()) return false;
  // A server that passed the port check must be registered before downloads go on.
  return !settings_.server_usable || hub_.registration().registered();
}

void HubQueueHost::show_downloads() { loop_.post({core::UM_SHOW_VIEW, mainframe::kViewTransfers, 0, nullptr}); }

bool QueueAdder::add(const browse::DownloadRequest& request) {
  download::AddRequest queued;
  queued.hash = request.hash;
  queued.file_name = request.file_name;
  queued.size = request.size;
  queued.sources = request.sources;
  queued.listing_attributes = static_cast<int>(request.listing_attributes);
  queued.folder_password = request.folder_password;
  queued.sub_folder = request.sub_folder;
  if (!request.sources.empty()) queued.peer_id = request.sources.front().peer_id;
  queued.switch_to_downloads = request.switch_to_download_tab;
  // A file asked for a second time is no reason to end the browse session.
  return manager_.add(queued) || manager_.contains(queued.hash);
}

DownloadsPart::DownloadsPart(download::DownloadManager& manager, core::MessageTarget& loop, AddressLookup lookup)
    : manager_(manager), loop_(loop), lookup_(std::move(lookup)) {
  manager_.set_exit_listener([this] { loop_.post({core::UM_DOWNLOADS_STOPPED, 0, 0, nullptr}); });
}

bool DownloadsPart::stop_all_for_exit() { return manager_.stop_all_for_exit() > 0; }

namespace {

download::AddRequest request_of_link(const util::CLaunchRequest& request) {
  download::AddRequest queued;
  queued.hash = request.hash;
  queued.file_name = request.name;
  queued.size = request.size;
  queued.peer_id = request.user_id;
  return queued;
}

}  // namespace

void DownloadsPart::queue_file(const util::CLaunchRequest& request) {
  download::AddRequest queued = request_of_link(request);
  if (request.user_id.empty()) {
    if (request.address != 0 && request.port > 0 && request.port <= 0xFFFF) {
      queued.sources.push_back({request.address, static_cast<uint16_t>(request.port), {}});
    }
    manager_.add(queued);
    return;
  }
  // The user's last known address comes from the service; the hub does not wait for it.
  resolver_.run([this, queued, user_id = request.user_id]() mutable {
    if (std::optional<service::ServerAddress> found = lookup_ ? lookup_(user_id) : std::nullopt) {
      queued.sources.push_back({found->address, found->port, user_id});
    }
    manager_.add(queued);
  });
}

void DownloadsPart::queue_by_hash(const util::CLaunchRequest& request) { manager_.add(request_of_link(request)); }

void RemotePart::open_server(const util::CLaunchRequest& request) {
  if (!request.user_id.empty()) {
    browser_.explore_user(request.user_id);
  } else if (request.address != 0 && request.port > 0 && request.port <= 0xFFFF) {
    browser_.explore_address(request.address, static_cast<uint16_t>(request.port));
  }
}

}  // namespace dovel::app
