#include "download/scheduling.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace dovel::download {
namespace {

using ::testing::ElementsAreArray;

const Source kServerA{0x0100007F, 9910, ""};
const Source kServerB{0x0200007F, 9910, ""};
const Source kServerAOtherPort{0x0100007F, 9911, ""};

ScheduleRow waiting(std::vector<Source> sources) { return {ItemState::Waiting, std::move(sources), true}; }
ScheduleRow in_state(ItemState state, std::vector<Source> sources) { return {state, std::move(sources), true}; }

TEST(SchedulingTest, LimitSettingZeroMeansNoLimit) {
  EXPECT_EQ(simultaneous_limit(0), 1000);
  EXPECT_EQ(simultaneous_limit(-3), 1000);
  EXPECT_EQ(simultaneous_limit(1), 1);
  EXPECT_EQ(simultaneous_limit(3), 3);
}

TEST(SchedulingTest, WhichRowsStart) {
  struct Case {
    std::string name;
    int limit_setting;
    std::vector<ScheduleRow> rows;
    std::vector<size_t> starts;
  };
  const Case cases[] = {
      {"limit 1, two files of one server: one after the other", 1, {waiting({kServerA}), waiting({kServerA})}, {0}},
      {"limit 1, two servers: still one after the other", 1, {waiting({kServerA}), waiting({kServerB})}, {0}},
      {"limit 0, two servers: both at once", 0, {waiting({kServerA}), waiting({kServerB})}, {0, 1}},
      {"limit 0, one server: one at a time", 0, {waiting({kServerA}), waiting({kServerA})}, {0}},
      {"limit 3, three files of one server: only the first", 3, {waiting({kServerA}), waiting({kServerA}), waiting({kServerA})}, {0}},
      {"a running row uses up the limit", 1, {in_state(ItemState::Transferring, {kServerB}), waiting({kServerA})}, {}},
      {"a preparing row counts as running", 2, {in_state(ItemState::Preparing, {kServerA}), waiting({kServerA}), waiting({kServerB})}, {2}},
      {"a running row's other sources are busy too", 2,
       {in_state(ItemState::Transferring, {kServerB, kServerA}), waiting({kServerA})}, {}},
      {"only the first source is tested", 2, {in_state(ItemState::Transferring, {kServerA}), waiting({kServerB, kServerA})}, {1}},
      {"the port tells servers apart", 2, {waiting({kServerA}), waiting({kServerAOtherPort})}, {0, 1}},
      {"rows without sources skip the busy test", 0, {waiting({}), waiting({}), waiting({kServerA})}, {0, 1, 2}},
      {"stopped, moving and finished rows never start", 0,
       {in_state(ItemState::Stopped, {kServerA}), in_state(ItemState::Moving, {kServerB}), in_state(ItemState::Finished, {}),
        waiting({kServerA})},
       {3}},
      {"a skipped row does not count", 2, {waiting({kServerA}), waiting({kServerA}), waiting({kServerB}), waiting({kServerB})}, {0, 2}},
      {"a row whose earlier run has not ended waits", 0, {{ItemState::Waiting, {kServerA}, false}, waiting({kServerA})}, {1}},
  };
  for (const Case& c : cases) {
    BusyServers servers;
    for (const ScheduleRow& row : c.rows) servers.enter(row.state, row.sources);
    EXPECT_THAT(plan_starts(c.rows, simultaneous_limit(c.limit_setting), servers), ElementsAreArray(c.starts)) << c.name;
  }
}

TEST(SchedulingTest, ServersBusyInTheOtherListAreSkippedAndStartsMarkThem) {
  BusyServers servers;
  servers.enter(ItemState::Transferring, {kServerA});  // a running folder download
  servers.enter(ItemState::Stopped, {kServerB});
  std::vector<ScheduleRow> rows = {waiting({kServerA}), waiting({kServerB})};
  EXPECT_THAT(plan_starts(rows, 1000, servers), ElementsAreArray({size_t{1}}));
  EXPECT_TRUE(servers.busy(kServerA));
  EXPECT_TRUE(servers.busy(kServerB));
  EXPECT_FALSE(servers.busy(kServerAOtherPort));
}

}  // namespace
}  // namespace dovel::download
