#include "share/hash_runner.h"

#include <gtest/gtest.h>


#include "share/hashing_fixture.h"

namespace dovel::share {
namespace {

using HashRunnerTest = HashingFixture;

TEST_F(HashRunnerTest, ANewStartCancelsTheActiveRun) {
  set_shares({{"public", settings::SHARE_READ}});
  for (int i = 0; i < 5; ++i) temp.write("shares/public/f" + std::to_string(i) + ".txt", "x");

  test::FirstFileGate gate;
  HashRunContext runner_context = context();
  runner_context.after_each_file = gate.callback();
  {
    HashRunner runner(runner_context);
    runner.start_hash_run(0);
    gate.wait_until_entered();
    auto first = runner.active_run();
    runner.start_hash_run(1);
    EXPECT_FALSE(first->running());
    EXPECT_NE(runner.active_run(), first);
    gate.release();
    ASSERT_TRUE(target.wait_for(1));
  }
  // The replaced run's end is not told: it would restart the share server under the new run.
  std::vector<test::RecordingTarget::Seen> seen = target.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].wparam, 1u);
  EXPECT_EQ(seen[0].lparam, 1) << "the new run completes";
  EXPECT_EQ(rows().size(), 5u) << "the new run's rows survive the old run's end";
}

TEST_F(HashRunnerTest, CancelAndDestructionStopAndJoin) {
  set_shares({{"public", settings::SHARE_READ}});
  for (int i = 0; i < 3; ++i) temp.write("shares/public/f" + std::to_string(i) + ".txt", "x");
  test::FirstFileGate gate;
  HashRunContext runner_context = context();
  runner_context.after_each_file = gate.callback();
  HashRunner runner(runner_context);
  runner.start_hash_run(0);
  gate.wait_until_entered();
  runner.cancel();
  EXPECT_FALSE(runner.active());
  gate.release();
  ASSERT_TRUE(target.wait_for(1));
  EXPECT_EQ(target.seen()[0].lparam, 0);
}

}  // namespace
}  // namespace dovel::share
