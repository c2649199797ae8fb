#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "server/search_responder.h"
#include "service/auth_client.h"
#include "service/registration_client.h"
#include "support/share_server_home.h"

namespace dovel::search::test {

// One row of the shared-files table, as the hashing would have written it.
struct SharedRow {
  std::string name;
  std::string extension{};
  std::string hash{};
  int file_type = 1;
  int64_t size = 100;
  std::string path{};
  int shared_index = 0;
  int right = 1;
};

// A copy of the program as far as searching goes, on a loopback address of its
// own: a data home with shares and rows, a session logged in with the stand-in
// service, the search responder on a free port, registered on one channel.
class SharingClient {
 public:
  SharingClient(const service::ServiceEndpoints& service_endpoints, platform::Ipv4 address);
  ~SharingClient();

  // Shared folders, by name and flags; rows name them by their index.
  void share(const std::vector<dovel::test::HomeShare>& folders);
  void insert(const std::vector<SharedRow>& rows);
  // Starts the responder; its results go to `results`.
  void start_responder(wire::SearchResultSink& results);
  void stop_responder();
  // Logs in and registers the responder's port on the channel; false when either fails.
  bool log_in_and_register(const std::string& user_id, const std::string& password, int channel);

  platform::Ipv4 address() const { return address_; }
  uint16_t port() const { return responder_ ? responder_->port() : 0; }
  service::Endpoint endpoint() const { return {address_, port()}; }
  service::ServiceSession& session() { return home_.session; }
  const service::ServiceEndpoints& endpoints() const { return endpoints_; }

 private:
  const platform::Ipv4 address_;
  service::ServiceEndpoints endpoints_;
  dovel::test::ShareServerHome home_;
  server::NoListSync list_sync_;
  std::unique_ptr<server::SearchResponder> responder_;
  std::unique_ptr<service::AuthClient> auth_;
  std::unique_ptr<service::RegistrationClient> registration_;
};

}  // namespace dovel::search::test
