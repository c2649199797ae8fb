#include "search/sharing_client.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "service/auth_messages.h"
#include "support/defaults_on_load.h"
#include "support/shared_file_rows.h"

namespace dovel::search::test {

SharingClient::SharingClient(const service::ServiceEndpoints& service_endpoints, platform::Ipv4 address)
    : address_(address), endpoints_(service_endpoints) {
  endpoints_.bind_address = address;
  EXPECT_FALSE(app::open_local_databases(home_.path(), databases_));
  dovel::test::load_defaults(settings_);
  settings_.server_usable = true;
  settings_.external_address = address;
  context_.settings = &server_settings_;
  context_.program_folder = home_.path();
  context_.database_file = home_ / "DovelData.dat";
  context_.session = &session_;
  context_.friends = &friends_;
  context_.blocks = &blocks_;
  context_.hashing = &hashing_;
  context_.meter = &meter_;
  context_.bind_address = address;
}

SharingClient::~SharingClient() {
  stop_responder();
  if (registration_) registration_->close();
  if (auth_) auth_->close();
}

void SharingClient::share(const std::vector<std::pair<std::string, uint32_t>>& folders) {
  std::vector<settings::SharedFolder> shared;
  for (const auto& [name, flags] : folders) {
    const std::filesystem::path folder = home_ / ("shares/" + name);
    std::filesystem::create_directories(folder);
    shared.push_back({name, folder.string(), flags});
  }
  ASSERT_TRUE(settings_.set_shared_folders(shared));
}

void SharingClient::insert(const std::vector<SharedRow>& rows) { dovel::test::insert_shared_files(databases_.data, rows); }

void SharingClient::start_responder(wire::SearchResultSink& results) {
  // Generous limits: a test searches again when a datagram was lost.
  responder_ = std::make_unique<server::SearchResponder>(context_, endpoints_, results, list_sync_, server::SearchRateLimits{100, 100, 64});
  ASSERT_TRUE(responder_->start_search_responder(0));
}

void SharingClient::stop_responder() {
  if (responder_) responder_->stop_search_responder();
}

bool SharingClient::log_in_and_register(const std::string& user_id, const std::string& password, int channel) {
  auth_ = std::make_unique<service::AuthClient>(endpoints_, session_, nullptr);
  if (auth_->login(user_id, password, true, false).result != service::kLoginOk) return false;
  registration_ = std::make_unique<service::RegistrationClient>(endpoints_, nullptr, [channel] { return channel; });
  service::RegistrationRecord record;
  record.user_id = user_id;
  record.port = port();
  record.title = "search test";
  return registration_->register_server(record) == service::kRegisterOk;
}

}  // namespace dovel::search::test
