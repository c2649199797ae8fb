// The limits behind the search responder's answers, on a clock the test moves.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "server/search_notice_limit.h"
#include "server/search_rate_limit.h"
#include "server/search_recent_table.h"
#include "server/search_reply_budget.h"
#include "server/search_token_bucket.h"
#include "support/fake_clock.h"

namespace dovel::server {
namespace {

// A key that counts the work a table does with it: every hash and every comparison.
struct CountedKey {
  uint32_t value = 0;
  static inline uint64_t steps = 0;
  bool operator==(const CountedKey& other) const {
    ++steps;
    return value == other.value;
  }
};

}  // namespace
}  // namespace dovel::server

namespace std {
template <>
struct hash<dovel::server::CountedKey> {
  size_t operator()(const dovel::server::CountedKey& key) const noexcept {
    ++dovel::server::CountedKey::steps;
    return hash<uint32_t>{}(key.value);
  }
};
}  // namespace std

namespace dovel::server {
namespace {

TEST(TokenBucketTest, GivesItsBurstThenRefillsAtItsRate) {
  struct Step {
    platform::Tick at;
    uint64_t units;
    bool taken;
  };
  struct Case {
    std::string what;
    TokenRate rate;
    std::vector<Step> steps;
  };
  const std::vector<Case> cases = {
      {"four a second, ten saved up",
       {4, 1000, 10},
       {{0, 10, true}, {0, 1, false}, {249, 1, false}, {250, 1, true}, {250, 1, false}, {100000, 10, true}, {100000, 1, false}}},
      {"one per 15 s, four saved up", {1, 15000, 4}, {{0, 4, true}, {14999, 1, false}, {15000, 1, true}, {15000, 1, false}}},
      {"more than the burst never", {1000, 1000, 100}, {{0, 101, false}, {0, 100, true}}},
      {"a refused take spends nothing", {1, 1000, 3}, {{0, 2, true}, {0, 2, false}, {0, 1, true}}},
      {"no rate, no refill", {0, 1000, 2}, {{0, 2, true}, {4000000000u, 1, false}}},
      {"bytes of a long pause at a high rate do not overflow",
       {0xFFFFFFFFu, 1000, 0xFFFFFFFFu},
       {{0, 0xFFFFFFFFu, true}, {0xFFFFFFF0u, 0xFFFFFFFFu, true}, {0xFFFFFFF0u, 1, false}}},
      {"the tick counter wrapping round", {1, 1000, 1}, {{0xFFFFFF00u, 1, true}, {0xFFFFFFFFu, 1, false}, {0x000002E8u, 1, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TokenBucket bucket(c.rate, c.steps.front().at);
    for (const Step& step : c.steps) EXPECT_EQ(bucket.take(step.units, step.at), step.taken) << "at " << step.at << ", " << step.units;
  }
}

TEST(RecentTableTest, ANewKeyInAFullTablePushesOutTheOneUsedLongestAgo) {
  RecentTable<int, std::string> table(3);
  for (int key : {1, 2, 3}) EXPECT_TRUE(table.use(key, [key] { return std::to_string(key); }).second);
  auto [one, made] = table.use(1, [] { return std::string("again"); });
  EXPECT_FALSE(made);
  EXPECT_EQ(one, "1");

  EXPECT_TRUE(table.use(4, [] { return std::string("4"); }).second);
  EXPECT_EQ(table.size(), 3u);
  EXPECT_TRUE(table.contains(1)) << "used again since";
  EXPECT_FALSE(table.contains(2)) << "used longest ago";
  EXPECT_TRUE(table.contains(3));
  EXPECT_TRUE(table.contains(4));
  EXPECT_EQ(table.use(4, [] { return std::string(); }).first, "4");
}

TEST(RecentTableTest, AFloodOfNewKeysCostsTheSameStepsForEachKey) {
  constexpr size_t kCapacity = 4096;
  constexpr uint32_t kKeys = 100000;
  RecentTable<CountedKey, int> table(kCapacity);
  CountedKey::steps = 0;
  for (uint32_t key = 0; key < kKeys; ++key) ASSERT_TRUE(table.use({key}, [] { return 0; }).second);
  EXPECT_EQ(table.size(), kCapacity);
  // Finding, adding and pushing one out hash and compare a few keys each; a
  // search through the table for the one to push out would take thousands.
  EXPECT_LE(CountedKey::steps, uint64_t{kKeys} * 16) << CountedKey::steps << " steps";
}

platform::Ipv4 source_number(uint32_t n) { return 0x7F000000u + n; }

TEST(SearchRateLimitTest, ASourceIsAFirstContactOnceThenKnownWithinItsShare) {
  test::FakeClock clock;
  SearchRateLimit limit(clock, {.burst = 2, .per_second = 1, .max_sources = 16});
  EXPECT_EQ(limit.admit(source_number(1)), QueryAdmission::FirstContact);
  EXPECT_EQ(limit.admit(source_number(1)), QueryAdmission::Known);
  EXPECT_EQ(limit.admit(source_number(1)), QueryAdmission::Refused);
  EXPECT_EQ(limit.admit(source_number(2)), QueryAdmission::FirstContact) << "another source has its own share";
  clock.advance_ms(1000);
  EXPECT_EQ(limit.admit(source_number(1)), QueryAdmission::Known);
  EXPECT_EQ(limit.admit(source_number(1)), QueryAdmission::Refused);
}

TEST(SearchRateLimitTest, AHundredThousandNewSourcesForgetTheOldestOnly) {
  test::FakeClock clock;
  SearchRateLimit limit(clock, {.burst = 1000, .per_second = 1000, .max_sources = 4096});
  const platform::Ipv4 regular = source_number(0xFFFFFF);
  ASSERT_EQ(limit.admit(regular), QueryAdmission::FirstContact);
  size_t first_contacts = 0;
  for (uint32_t n = 0; n < 100000; ++n) {
    if (limit.admit(source_number(n)) == QueryAdmission::FirstContact) ++first_contacts;
    if (n % 1000 == 0) {
      EXPECT_EQ(limit.admit(regular), QueryAdmission::Known) << "after " << n;
    }
  }
  EXPECT_EQ(first_contacts, 100000u);
  EXPECT_EQ(limit.remembered(), 4096u);
  EXPECT_EQ(limit.admit(source_number(99999)), QueryAdmission::Known);
  EXPECT_EQ(limit.admit(source_number(0)), QueryAdmission::FirstContact) << "forgotten";
}

TEST(SearchReplyBudgetTest, EachDestinationAndAllTogetherHaveTheirBudget) {
  test::FakeClock clock;
  SearchReplyBudget budget(clock, {.reply_bytes_per_second = 4096, .destination_bytes_per_second = 2048});
  const platform::Ipv4 a = source_number(1), b = source_number(2), c = source_number(3);

  EXPECT_TRUE(budget.spend(a, 1024));
  EXPECT_TRUE(budget.spend(a, 1024));
  EXPECT_FALSE(budget.spend(a, 100)) << "a's budget is spent";
  EXPECT_FALSE(budget.has_room(a));
  EXPECT_TRUE(budget.has_room(b));
  EXPECT_TRUE(budget.spend(b, 2048));
  EXPECT_FALSE(budget.has_room(c)) << "the budget for all is spent";
  EXPECT_FALSE(budget.spend(c, 100));

  clock.advance_ms(250);  // 1024 for all, 512 for each
  EXPECT_FALSE(budget.spend(c, 1025));
  EXPECT_FALSE(budget.spend(a, 513));
  EXPECT_TRUE(budget.spend(a, 512));
  EXPECT_TRUE(budget.spend(c, 512));
  EXPECT_FALSE(budget.spend(b, 1));

  clock.advance_ms(10000);
  EXPECT_TRUE(budget.spend(a, 2048)) << "refilled to one second's worth";
  EXPECT_FALSE(budget.spend(a, 1));
}

TEST(SearchReplyBudgetTest, DestinationsAreForgottenOnlyWhenNewOnesAreSentTo) {
  test::FakeClock clock;
  SearchReplyBudget budget(clock, {.destination_bytes_per_second = 1024, .max_destinations = 2});
  const platform::Ipv4 spent = source_number(1);
  ASSERT_TRUE(budget.spend(spent, 1024));
  for (uint32_t n = 10; n < 20; ++n) EXPECT_TRUE(budget.has_room(source_number(n)));
  EXPECT_FALSE(budget.has_room(spent)) << "looking did not push it out";

  EXPECT_TRUE(budget.spend(source_number(2), 10));
  EXPECT_TRUE(budget.spend(source_number(3), 10));
  EXPECT_TRUE(budget.has_room(spent)) << "two newer destinations took its place";
}

TEST(SearchNoticeLimitTest, GivesItsBurstThenOnePerInterval) {
  test::FakeClock clock;
  SearchNoticeLimit notices(clock, {.notice_burst = 2, .notice_interval_ms = 1000});
  EXPECT_TRUE(notices.allow());
  EXPECT_TRUE(notices.allow());
  EXPECT_FALSE(notices.allow());
  clock.advance_ms(999);
  EXPECT_FALSE(notices.allow());
  clock.advance_ms(1);
  EXPECT_TRUE(notices.allow());
  EXPECT_FALSE(notices.allow());
}

}  // namespace
}  // namespace dovel::server
