// What the program's browser asks of the hub: the service connection, checked
// and restored once, and the servers of the last server-list refresh.
#include "app/hub_browse_links.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/download_system.h"
#include "browse/browse_fixture.h"
#include "mainframe/hub_fixture.h"
#include "service/auth_client.h"
#include "service/auth_messages.h"
#include "service/registration_client.h"
#include "support/refusing_port.h"
#include "support/scripted_peer.h"

namespace dovel::app {
namespace {

using browse::test_support::answer_of;

class HubBrowseLinksTest : public mainframe::test::HubFixture {
 protected:
  void TearDown() override {
    other_registration.reset();
    other_auth.reset();
    HubFixture::TearDown();
  }

  // Bob's share server: a peer that refuses every browser as too busy, listed
  // on the channels from its own address.
  void register_other_server() {
    ASSERT_EQ(central->accounts().add({"bob", "pw", "밥"}), central::AccountStore::Change::Done);
    service::ServiceEndpoints bob = endpoints;
    bob.bind_address = busy_server.address();
    other_auth = std::make_unique<service::AuthClient>(bob, other_session, nullptr);
    ASSERT_EQ(other_auth->login("bob", "pw", true, false).result, service::kLoginOk);
    other_registration = std::make_unique<service::RegistrationClient>(bob, nullptr, [] { return 1; });
    service::RegistrationRecord record;
    record.user_id = "bob";
    record.port = busy_server.port();
    record.title = "밥의 서버";
    ASSERT_EQ(other_registration->register_server(record), service::kRegisterOk);
  }

  std::atomic<int> browsers{0};
  dovel::test::ScriptedPeer busy_server{[this](int connection) {
    ++browsers;
    if (dovel::test::read_exactly(connection, 1).empty()) return;
    dovel::test::send_text(connection, "OVER");
  }};
  service::ServiceSession other_session;
  std::unique_ptr<service::AuthClient> other_auth;
  std::unique_ptr<service::RegistrationClient> other_registration;
};

TEST_F(HubBrowseLinksTest, TheServiceLinkIsTheHubsLoginRestoredByOneAttempt) {
  make_hub();
  HubServiceLink link(*hub);
  EXPECT_FALSE(link.connected()) << "nobody is logged in";
  EXPECT_FALSE(link.reconnect()) << "without a login there is nothing to restore";
  start_and_register();
  EXPECT_TRUE(link.connected());
  hub->auth().close();
  EXPECT_FALSE(link.connected());
  EXPECT_TRUE(link.reconnect());
  EXPECT_TRUE(link.connected());
  EXPECT_TRUE(hub->auth().connected());
}

TEST_F(HubBrowseLinksTest, TheOnlineServersAreThoseOfTheLastRefresh) {
  make_hub();
  start_and_register();
  register_other_server();
  HubOnlineServers online(*hub);
  EXPECT_FALSE(online.find_user("bob")) << "nothing refreshed yet";
  hub->refresh_server_lists();
  std::optional<service::ServerAddress> bob = online.find_user("BOB");
  ASSERT_TRUE(bob);
  EXPECT_EQ(bob->address, busy_server.address());
  EXPECT_EQ(bob->port, busy_server.port());
  EXPECT_FALSE(online.find_user("nobody"));
}

TEST_F(HubBrowseLinksTest, TheProgramsBrowserFindsAListedUserWithoutTheLookUpServers) {
  make_hub();
  start_and_register();
  register_other_server();
  hub->refresh_server_lists();
  // The browser's look-up servers refuse: only the hub's lists can tell where bob is.
  const dovel::test::RefusingPort refusing;
  service::ServiceEndpoints browsing = endpoints;
  for (service::Endpoint& endpoint : browsing.registration) endpoint = {refusing.address, refusing.port};
  DownloadSystem downloads(*settings, databases.info, *hub, loop, browsing);
  EXPECT_EQ(answer_of(downloads.browser(), [&] { downloads.browser().explore_user("bob"); }), browse::ListingWait::Ended);
  EXPECT_EQ(browsers, 1) << "bob's server was reached at its listed address";
  bool told_busy = false;
  for (const std::string& message : downloads.browser().snapshot().messages) {
    told_busy = told_busy || message.find("접속자가 많습니다.") != std::string::npos;
  }
  EXPECT_TRUE(told_busy);
  downloads.shut_down();
}

TEST_F(HubBrowseLinksTest, TheProgramsBrowserNeedsTheServiceConnection) {
  make_hub();
  start_and_register();
  register_other_server();
  DownloadSystem downloads(*settings, databases.info, *hub, loop, endpoints);
  // The service is gone: the login cannot be restored, and nothing is browsed.
  central.reset();
  hub->auth().close();
  EXPECT_EQ(answer_of(downloads.browser(), [&] { downloads.browser().explore_address(busy_server.address(), busy_server.port()); }),
            browse::ListingWait::Ended);
  EXPECT_EQ(browsers, 0);
  downloads.shut_down();
}

}  // namespace
}  // namespace dovel::app
