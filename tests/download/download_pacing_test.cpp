// The download limit on a simulated clock: chunks of 8 KiB arrive as fast as a
// loopback connection brings them, the writers wait what the pacer says, and
// only those waits (of at least the shortest sleep) move the time on.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/transfer_pacer.h"
#include "download/download_speed_limit.h"
#include "download/transfer_loop.h"
#include "support/fake_clock.h"

namespace dovel::download {
namespace {

constexpr uint64_t kSecondNs = 1'000'000'000;
constexpr uint64_t kSimulatedNs = 10 * kSecondNs;
// The network: one 8 KiB receive every 4 µs (about 2 GB/s), faster than every limit.
constexpr uint64_t kReceiveNs = 4'000;

struct Pacing {
  double bytes_per_second = 0;
  uint64_t waits = 0;
};

// `writers` downloads take turns in writing one receive each, for 10 simulated seconds.
Pacing simulate(uint64_t limit, int writers) {
  dovel::test::FakeClock clock;
  core::TransferPacer pacer;
  uint64_t written = 0;
  Pacing pacing;
  // Each writer's own time: it receives, writes, then sleeps what it was told.
  std::vector<uint64_t> ready_at(static_cast<size_t>(writers), 0);
  while (true) {
    size_t next = 0;
    for (size_t writer = 1; writer < ready_at.size(); ++writer) {
      if (ready_at[writer] < ready_at[next]) next = writer;
    }
    const uint64_t now = ready_at[next] + kReceiveNs;
    if (now > kSimulatedNs) break;
    clock.set_performance_counter(now);
    written += kReceiveSize;
    const uint64_t wait = pacer.wait_after(kReceiveSize, limit, clock.performance_counter());
    ready_at[next] = now;
    if (wait >= static_cast<uint64_t>(kLeastThrottleMs) * 1'000'000) {
      ready_at[next] += wait;
      ++pacing.waits;
    }
  }
  pacing.bytes_per_second = static_cast<double>(written) / (static_cast<double>(kSimulatedNs) / kSecondNs);
  return pacing;
}

TEST(DownloadPacing, EveryRowOfTheLimitBoxIsHeldWithinFivePercentOverTenSeconds) {
  for (uint32_t row = 1; row < 10; ++row) {
    const double limit = download_limit_of_row(row);
    for (const int writers : {1, 3}) {
      SCOPED_TRACE(testing::Message() << "row " << row << ", " << writers << " downloads");
      const Pacing pacing = simulate(download_limit_of_row(row), writers);
      EXPECT_NEAR(pacing.bytes_per_second, limit, limit * 0.05);
      EXPECT_GT(pacing.waits, 0u);
    }
  }
}

TEST(DownloadPacing, TheFirstRowAndTheUnsetLimitNeverWait) {
  for (const uint64_t limit : {uint64_t{download_limit_of_row(0)}, uint64_t{1262485504}, uint64_t{0}}) {
    SCOPED_TRACE(limit);
    const Pacing pacing = simulate(limit, 1);
    EXPECT_EQ(pacing.waits, 0u);
    EXPECT_NEAR(pacing.bytes_per_second, static_cast<double>(kReceiveSize) * kSecondNs / kReceiveNs, 1e6);
  }
}

// Time in which nothing was written is not saved up: after an idle minute the
// next chunk waits its full share again.
TEST(DownloadPacing, IdleTimeIsNotSavedUpForABurst) {
  core::TransferPacer pacer;
  const uint64_t limit = download_limit_of_row(9);
  const uint64_t share = kReceiveSize * kSecondNs / limit;
  EXPECT_EQ(pacer.wait_after(kReceiveSize, limit, kSecondNs), share);
  EXPECT_EQ(pacer.wait_after(kReceiveSize, limit, kSecondNs), 2 * share) << "booked behind the first";
  EXPECT_EQ(pacer.wait_after(kReceiveSize, limit, 61 * kSecondNs), share);
}

}  // namespace
}  // namespace dovel::download
