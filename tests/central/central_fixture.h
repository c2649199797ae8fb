#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "central/central_client.h"
#include "central/central_service.h"
#include "support/loopback_address.h"
#include "support/temp_folder.h"

namespace dovel::central::test {

// A stand-in service of its own on a fresh loopback address (host A and host B
// are that address, every port the standard one), with clients on a second
// fresh address so that "the caller's address" is never the service's own.
// Fixtures that need other limits override configure().
class CentralFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    CentralConfig config;
    config.home = home.path();
    config.service = service::ServiceConfig::defaults();
    config.service.host_a = config.service.host_b = service_address;
    config.service.web_base = "http://" + platform::format_ipv4(service_address) + ":11080";
    configure(config);
    central = std::make_unique<CentralService>(config);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
  }

  virtual void configure(CentralConfig&) {}

  service::ServiceEndpoints endpoints() const { return central->config().service.endpoints(); }

  void add_user(const std::string& id, const std::string& password = "pw", const std::string& label = "") {
    ASSERT_EQ(central->accounts().add({id, password, label}), AccountStore::Change::Done);
  }

  std::optional<CentralClient> connect(const service::Endpoint& to) { return CentralClient::connect(client_address, to); }

  struct Login {
    std::optional<CentralClient> client;
    service::LoginReply reply;
  };
  // A login with the project's request; the connection stays open as the session on 21.
  Login login(const std::string& id, const std::string& password = "pw", bool accepts_memos = true) {
    service::LoginRequest request;
    request.user_id = id;
    request.password = password;
    request.allow_memo = accepts_memos;
    request.integrity = service::program_integrity_value();
    return login_with(request);
  }
  Login login_with(const service::LoginRequest& request) {
    Login login;
    login.client = connect(endpoints().authentication);
    EXPECT_TRUE(login.client);
    if (!login.client) return login;
    EXPECT_TRUE(login.client->send_frame(service::kLoginType, service::build_login_request(request).value_or("")));
    std::optional<std::string> body = login.client->read_short_reply();
    EXPECT_TRUE(body);
    if (body) login.reply = service::parse_login_reply(*body).value_or(service::LoginReply{});
    return login;
  }
  // A session that must succeed.
  CentralClient logged_in(const std::string& id, bool accepts_memos = true) {
    Login session = login(id, "pw", accepts_memos);
    EXPECT_EQ(session.reply.result, service::kLoginOk) << id;
    return std::move(*session.client);
  }

  std::string request_log() const { return dovel::test::read_file(central->request_log_file()); }

  dovel::test::TempFolder home;
  const platform::Ipv4 service_address = dovel::test::unique_loopback_address();
  const platform::Ipv4 client_address = dovel::test::unique_loopback_address();
  std::unique_ptr<CentralService> central;
};

}  // namespace dovel::central::test
