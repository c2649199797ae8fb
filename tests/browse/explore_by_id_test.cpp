// Exploring a user by ID: the address comes from the stand-in service, where
// the user's share server registered. Everything runs in-process on loopback
// addresses of the test's own.
#include <gtest/gtest.h>

#include "browse/browse_fixture.h"
#include "browse/remote_browser.h"
#include "central/central_service.h"
#include "server/server_fixture.h"
#include "service/auth_client.h"
#include "service/auth_messages.h"
#include "service/registration_client.h"
#include "service/registration_source.h"
#include "support/loopback_address.h"

namespace dovel::browse {
namespace {

using namespace test_support;

class ExploreByIdTest : public server::ShareServerFixture {
 protected:
  void SetUp() override {
    ShareServerFixture::SetUp();
    context.bind_address = test::unique_loopback_address();
    set_shares({{"Public", settings::SHARE_READ}});
    temp.write("shares/Public/a.txt", "abc");
    start_server();

    const platform::Ipv4 service_address = test::unique_loopback_address();
    central::CentralConfig config;
    config.home = temp / "central";
    config.service = service::ServiceConfig::defaults();
    config.service.host_a = config.service.host_b = service_address;
    config.service.web_base = service::web_base_on(service_address);
    central = std::make_unique<central::CentralService>(config);
    ASSERT_EQ(central->accounts().add({"alice", "secret", "앨리스", 3, true}), central::AccountStore::Change::Done);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;

    // Alice's program: logged in, her share server registered from its own address.
    owner_endpoints = config.service.endpoints();
    owner_endpoints.bind_address = context.bind_address;
    owner_auth = std::make_unique<service::AuthClient>(owner_endpoints, owner_session, nullptr);
    ASSERT_EQ(owner_auth->login("alice", "secret", true, false).result, service::kLoginOk);
    settings.update([this](settings::StoredSettings& values) {
      values.share_port = server->port();
      values.server_subject = "앨리스의 서버";
    });
    auto record = service::current_registration_record(owner_session, service::RegistrationSettings(settings), totals, meter,
                                                       [](std::string_view title) { return std::optional<std::string>(title); });
    ASSERT_TRUE(record);
    registration = std::make_unique<service::RegistrationClient>(owner_endpoints, nullptr, [] { return 0; });
    ASSERT_EQ(registration->register_server(*record), service::kRegisterOk);

    // The browsing user's side.
    browser_endpoints = config.service.endpoints();
    browser_endpoints.bind_address = test::unique_loopback_address();
    me.set_identity({"bob", 1, "밥", "ta", "tb"});
  }
  void TearDown() override {
    registration.reset();
    owner_auth.reset();
    central.reset();
    ShareServerFixture::TearDown();
  }

  BrowseContext browse_context() {
    BrowseContext made;
    made.session = &me;
    made.endpoints = browser_endpoints;
    made.random = [] { return 2; };
    made.downloads = &adder;
    return made;
  }

  void set_privileged(bool privileged) {
    service::SessionRecord record = me.record();
    record.privilege_b = privileged ? 1 : 0;
    me.set_record(record);
  }

  std::unique_ptr<central::CentralService> central;
  service::ServiceEndpoints owner_endpoints;
  service::ServiceEndpoints browser_endpoints;
  service::ServiceSession owner_session;
  std::unique_ptr<service::AuthClient> owner_auth;
  share::ShareTotals totals;
  std::unique_ptr<service::RegistrationClient> registration;
  service::ServiceSession me;
  RecordingAdder adder;
};

TEST_F(ExploreByIdTest, TheServiceTellsWhereTheUserIs) {
  set_privileged(true);
  RemoteBrowser browser(browse_context());
  ASSERT_EQ(answer_of(browser, [&] { EXPECT_EQ(browser.explore_user("alice"), StartOutcome::Started); }), ListingWait::Listing);
  BrowserSnapshot top = browser.snapshot();
  EXPECT_EQ(top.peer_id, "owner") << "the server's own identity replaces the ID asked for";
  EXPECT_EQ(top.title, "주인장(owner)");
  EXPECT_EQ(names_of(top), (std::vector<std::string>{"..", "Public"}));
  EXPECT_TRUE(has_message(top, "'alice'님 서버로 접속을 시도합니다."));
  EXPECT_EQ(top.history.front(), "alice");

  ASSERT_EQ(answer_of(browser, [&] { EXPECT_TRUE(browser.open_entry("Public")); }), ListingWait::Listing);
  EXPECT_EQ(browser.request_downloads({"a.txt"}), 1u);
  ASSERT_TRUE(adder.wait_for(1));
  const download::Source source = adder.requests()[0].sources.at(0);
  EXPECT_EQ(source.address, context.bind_address);
  EXPECT_EQ(source.port, server->port());

  EXPECT_EQ(browser.explore_user("alice"), StartOutcome::AlreadyOpen) << "the same user again within 30 s changes nothing";
  EXPECT_EQ(browser.snapshot().current_path, "\\Public");
}

TEST_F(ExploreByIdTest, UnknownUsersHaveNoServer) {
  RemoteBrowser plain(browse_context());
  EXPECT_EQ(answer_of(plain, [&] { plain.explore_user("nobody"); }), ListingWait::Ended);
  EXPECT_TRUE(has_message(plain.snapshot(), "서버가 존재하지 않습니다."));
  EXPECT_EQ(plain.explore_user(""), StartOutcome::Refused);

  set_privileged(true);
  RemoteBrowser privileged(browse_context());
  EXPECT_EQ(answer_of(privileged, [&] { privileged.explore_user("nobody"); }), ListingWait::Ended);
  EXPECT_TRUE(has_message(privileged.snapshot(), "'nobody'님의 서버가 없습니다."));

  registration->close();
  ListingWait closed = ListingWait::Listing;
  for (int attempt = 0; attempt < 100 && closed != ListingWait::Ended; ++attempt) {
    RemoteBrowser after_close(browse_context());  // a browser of its own: no cached address
    closed = answer_of(after_close, [&] { after_close.explore_user("alice"); });
  }
  EXPECT_EQ(closed, ListingWait::Ended) << "a server whose registration ended is not found";
}

}  // namespace
}  // namespace dovel::browse
