#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "browse/address_resolver.h"
#include "support/fake_clock.h"

namespace dovel::browse {
namespace {

class ListedServers final : public OnlineServers {
 public:
  std::optional<service::ServerAddress> find_user(std::string_view user_id) const override {
    auto found = servers.find(std::string(user_id));
    if (found == servers.end()) return std::nullopt;
    return found->second;
  }
  std::map<std::string, service::ServerAddress> servers;
};

class AddressResolverTest : public ::testing::Test {
 protected:
  AddressLookup counting_lookup() {
    return [this](const std::string& user_id, platform::StopSignal*) -> std::optional<service::ServerAddress> {
      asked.push_back(user_id);
      auto found = service.find(user_id);
      if (found == service.end()) return std::nullopt;
      return found->second;
    };
  }

  test::FakeClock clock;
  ListedServers online;
  std::map<std::string, service::ServerAddress> service;
  std::vector<std::string> asked;
};

TEST_F(AddressResolverTest, AnswersAreReusedForThirtySeconds) {
  service["alice"] = {0x0200007F, 9910};
  AddressResolver resolver(clock, &online, counting_lookup());
  EXPECT_FALSE(resolver.recent("alice"));
  auto first = resolver.resolve("alice");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->port, 9910);
  EXPECT_EQ(asked.size(), 1u);

  service["alice"] = {0x0300007F, 9911};
  clock.advance_ms(30000);
  EXPECT_TRUE(resolver.recent("alice"));
  EXPECT_EQ(resolver.resolve("alice")->port, 9910) << "within 30 s the cache answers";
  EXPECT_EQ(asked.size(), 1u);

  clock.advance_ms(1);
  EXPECT_FALSE(resolver.recent("alice"));
  EXPECT_EQ(resolver.resolve("alice")->port, 9911) << "a stale entry is asked again";
  EXPECT_EQ(asked.size(), 2u);
}

TEST_F(AddressResolverTest, TheOnlineListComesBeforeTheService) {
  online.servers["bob"] = {0x0400007F, 7000};
  service["bob"] = {0x0500007F, 8000};
  AddressResolver resolver(clock, &online, counting_lookup());
  EXPECT_EQ(resolver.resolve("bob")->port, 7000);
  EXPECT_TRUE(asked.empty());
}

TEST_F(AddressResolverTest, UnknownEmptyAndZeroAnswersFail) {
  service["zero"] = {0, 0};
  AddressResolver resolver(clock, nullptr, counting_lookup());
  EXPECT_FALSE(resolver.resolve(""));
  EXPECT_TRUE(asked.empty()) << "an empty ID is never asked for";
  EXPECT_FALSE(resolver.resolve("nobody"));
  EXPECT_FALSE(resolver.resolve("zero"));
  EXPECT_FALSE(resolver.recent("nobody")) << "failures are not kept";
  EXPECT_FALSE(resolver.resolve("nobody"));
  EXPECT_EQ(asked.size(), 3u);
}

}  // namespace
}  // namespace dovel::browse
