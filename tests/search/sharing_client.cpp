#include "search/sharing_client.h"

#include <gtest/gtest.h>

#include "service/auth_messages.h"
#include "support/shared_file_rows.h"

namespace dovel::search::test {

SharingClient::SharingClient(const service::ServiceEndpoints& service_endpoints, platform::Ipv4 address)
    : address_(address), endpoints_(service_endpoints), home_({.bind_address = address}) {
  endpoints_.bind_address = address;
  home_.settings.external_address = address;
}

SharingClient::~SharingClient() {
  stop_responder();
  if (registration_) registration_->close();
  if (auth_) auth_->close();
}

void SharingClient::share(const std::vector<dovel::test::HomeShare>& folders) { ASSERT_TRUE(home_.set_shares(folders)); }

void SharingClient::insert(const std::vector<SharedRow>& rows) { dovel::test::insert_shared_files(home_.databases.data, rows); }

void SharingClient::start_responder(wire::SearchResultSink& results) {
  // Generous limits: a test searches again when a datagram was lost.
  responder_ = std::make_unique<server::SearchResponder>(home_.context, endpoints_, results, list_sync_, server::SearchRateLimits{100, 100, 64});
  ASSERT_TRUE(responder_->start_search_responder(0));
}

void SharingClient::stop_responder() {
  if (responder_) responder_->stop_search_responder();
}

bool SharingClient::log_in_and_register(const std::string& user_id, const std::string& password, int channel) {
  auth_ = std::make_unique<service::AuthClient>(endpoints_, home_.session, nullptr);
  if (auth_->login(user_id, password, true, false).result != service::kLoginOk) return false;
  registration_ = std::make_unique<service::RegistrationClient>(endpoints_, nullptr, [channel] { return channel; });
  service::RegistrationRecord record;
  record.user_id = user_id;
  record.port = port();
  record.title = "search test";
  return registration_->register_server(record) == service::kRegisterOk;
}

}  // namespace dovel::search::test
