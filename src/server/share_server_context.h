#pragma once

#include <filesystem>

#include "core/transfer_meter.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "service/service_session.h"
#include "service/user_list_store.h"
#include "server/share_server_settings.h"
#include "share/archive_check.h"
#include "share/hash_service.h"

namespace dovel::server {

class UploadMonitor;

// What the share server's threads need from the rest of the program. Every
// pointer outlives the server.
struct ShareServerContext {
  ShareServerSettings* settings = nullptr;
  std::filesystem::path program_folder;  // intro.html
  std::filesystem::path database_file;   // DovelData.dat
  service::ServiceSession* session = nullptr;
  service::UserListStore* friends = nullptr;
  service::UserListStore* blocks = nullptr;
  share::HashService* hashing = nullptr;
  share::ArchiveChecker* archive = nullptr;
  core::TransferMeter* meter = nullptr;
  UploadMonitor* monitor = nullptr;
  const platform::Clock* clock = &platform::system_clock();
  // The address the server listens on (0: every address of the machine).
  platform::Ipv4 bind_address = 0;
};

}  // namespace dovel::server
