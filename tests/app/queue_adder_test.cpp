// The browse session's files as the program queues them: through the real
// adder into the real download list.
#include "app/download_parts.h"

#include <gtest/gtest.h>

#include "browse/browse_fixture.h"
#include "browse/scripted_server.h"
#include "download/manager_fixture.h"
#include "support/loopback_address.h"

namespace dovel::app {
namespace {

using browse::test_support::AnsweringServer;
using browse::test_support::answer_of;
using browse::test_support::frame;

const std::string kAccepted = std::string("OKKK") + '\x0b';
const std::string kHash = "0123456789abcdef0123456789abcdef";

class QueueAdderTest : public download::test::ManagerFixture {
 protected:
  void SetUp() override {
    ManagerFixture::SetUp();
    adder = std::make_unique<QueueAdder>(*manager);
  }

  browse::BrowseContext browse_context() {
    browse::BrowseContext context;
    context.downloads = adder.get();
    context.endpoints.bind_address = test::unique_loopback_address();
    return context;
  }
  browse::SessionRequest target() const {
    browse::SessionRequest request;
    request.address = server.address();
    request.port = server.port();
    return request;
  }

  AnsweringServer server{{kAccepted}, [](std::string_view request) {
                           if (request.starts_with("C")) return std::vector<std::string>{frame("Lroot\\Share*F|a.txt|3|0|1|*")};
                           if (request == "Ha.txt|3") return std::vector<std::string>{frame("H" + kHash + "|a.txt|3")};
                           return std::vector<std::string>{};
                         }};
  std::unique_ptr<QueueAdder> adder;
};

TEST_F(QueueAdderTest, AFileAskedForAgainKeepsTheBrowseSession) {
  browse::RemoteBrowser browser(browse_context());
  ASSERT_EQ(answer_of(browser, [&] { browser.start_session(target()); }), browse::ListingWait::Listing);
  ASSERT_EQ(browser.request_downloads({"a.txt"}), 1u);
  ASSERT_TRUE(dovel::test::eventually([&] { return manager->contains(kHash); }));

  ASSERT_EQ(browser.request_downloads({"a.txt"}), 1u);
  EXPECT_EQ(answer_of(browser, [&] { EXPECT_TRUE(browser.change_folder("\\Share")); }), browse::ListingWait::Listing)
      << "the second answer for a queued file leaves the session open";
  EXPECT_TRUE(browser.snapshot().session_running);
  EXPECT_EQ(manager->snapshot().size(), 1u);
}

}  // namespace
}  // namespace dovel::app
