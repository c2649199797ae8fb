// Exploring by user ID while the service's address look-up servers accept the
// connection and never answer: the browser must not wait for the look-up.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "browse/browse_fixture.h"
#include "browse/remote_browser.h"
#include "support/eventually.h"
#include "support/loopback_address.h"
#include "support/scripted_peer.h"

namespace dovel::browse {
namespace {

using namespace test_support;

class SilentServiceTest : public ::testing::Test {
 protected:
  BrowseContext browse_context() {
    BrowseContext context;
    context.endpoints.bind_address = test::unique_loopback_address();
    for (service::Endpoint& endpoint : context.endpoints.registration) endpoint = {silent.address(), silent.port()};
    return context;
  }

  std::atomic<int> reached{0};
  // Reads what the client sends and never answers, until the client goes.
  dovel::test::ScriptedPeer silent{[this](int connection) {
    ++reached;
    dovel::test::read_until_closed(connection);
  }};
};

TEST_F(SilentServiceTest, ASecondExploreDoesNotWaitForTheFirstLookUp) {
  RemoteBrowser browser(browse_context());
  ASSERT_EQ(browser.explore_user("alice"), StartOutcome::Started);
  // The first session is inside its look-up: connected to the silent service.
  ASSERT_TRUE(dovel::test::eventually([&] { return browser.snapshot().session_running && reached >= 1; }));

  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(browser.explore_user("bob"), StartOutcome::Started);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));

  // The first look-up was given up at once, not after its 8 s read time-out.
  EXPECT_TRUE(dovel::test::eventually([&] { return silent.served() >= 1; }, std::chrono::seconds(5)));
  EXPECT_EQ(browser.snapshot().peer_id, "bob");

  const auto stopping = std::chrono::steady_clock::now();
  browser.stop_session();
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(1));
  EXPECT_FALSE(browser.snapshot().session_running);
}

}  // namespace
}  // namespace dovel::browse
