#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <climits>

#include "platform/clock.h"
#include "platform/deadline.h"
#include "platform/filetime.h"
#include "support/temp_folder.h"

namespace dovel::platform {
namespace {

TEST(Clock, TicksBetweenWrapsModulo2To32) {
  struct Case {
    Tick earlier;
    Tick later;
    Tick elapsed;
  };
  const Case cases[] = {
      {0, 0, 0},
      {10, 25, 15},
      {0xFFFFFFF0u, 0x10u, 0x20u},
      {0xFFFFFFFFu, 0, 1},
      {5, 4, 0xFFFFFFFFu},  // "later" before "earlier" reads as almost 2^32
      {0, 0xFFFFFFFFu, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) EXPECT_EQ(ticks_between(c.earlier, c.later), c.elapsed) << c.earlier << " -> " << c.later;
  static_assert(ticks_between(0xFFFFFFFFu, 1) == 2);
}

TEST(Clock, SystemTickFollowsTheMonotonicCounter) {
  const Clock& clock = system_clock();
  const Tick tick = clock.tick();
  const uint64_t counter = clock.performance_counter();
  // The tick is the counter's milliseconds cut to 32 bits; the two readings are
  // moments apart, so allow a generous gap.
  EXPECT_LT(ticks_between(tick, static_cast<Tick>(counter / 1'000'000)), 10'000u);
  EXPECT_LE(counter, clock.performance_counter());
}

TEST(Deadline, ClampsAStepToWhatIsLeft) {
  const Deadline far = Deadline::after_ms(100'000);
  EXPECT_EQ(far.clamp_ms(50), 50);
  EXPECT_EQ(far.clamp_ms(0), 0);
  // No step limit: everything that is left, which cannot exceed the total.
  EXPECT_GT(far.clamp_ms(-1), 50'000);
  EXPECT_LE(far.clamp_ms(-1), 100'000);
  EXPECT_FALSE(far.expired());

  const Deadline near = Deadline::after_ms(200);
  EXPECT_LE(near.clamp_ms(60'000), 200);
  EXPECT_LE(near.clamp_ms(-5), 200);

  const Deadline past(Deadline::Clock::now() - std::chrono::seconds(5));
  EXPECT_TRUE(past.expired());
  EXPECT_EQ(past.remaining_ms(), 0) << "never negative";
  EXPECT_EQ(past.clamp_ms(-1), 0) << "no step limit must not turn into waiting forever";
  EXPECT_EQ(past.clamp_ms(1000), 0);
}

TEST(Deadline, RemainingTimeBeyondAnIntIsCapped) {
  const Deadline later(Deadline::Clock::now() + std::chrono::hours(24 * 365));
  EXPECT_EQ(later.remaining_ms(), INT_MAX);
  EXPECT_EQ(later.clamp_ms(-1), INT_MAX);
  EXPECT_EQ(later.clamp_ms(30), 30);
}

TEST(FileTime, FromTimespec) {
  struct Case {
    timespec time;
    uint64_t filetime;
  };
  const Case cases[] = {
      {{0, 0}, 116444736000000000ull},  // the Unix epoch
      {{1, 500}, 116444736010000005ull},
      {{1, 99}, 116444736010000000ull},  // below 100 ns is cut off
      {{0, 999'999'999}, 116444736009999999ull},
      {{1'700'000'000, 123'456'789}, 133444736001234567ull},
      {{-1, 0}, 116444735990000000ull},  // a second before the epoch
      {{4'294'967'296, 0}, 159394408960000000ull},  // past 2106: no 32-bit overflow
  };
  for (const Case& c : cases) {
    EXPECT_EQ(filetime_from_timespec(c.time), c.filetime) << c.time.tv_sec << "." << c.time.tv_nsec;
  }
}

TEST(FileTime, LastWriteTimeOfAFile) {
  test::TempFolder temp;
  const auto file = temp.write("f.txt", "x");
  const timespec times[2] = {{0, UTIME_OMIT}, {1'700'000'000, 123'456'789}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  EXPECT_EQ(last_write_filetime(file), 133444736001234567ull);
  EXPECT_EQ(last_write_filetime(temp / "missing"), std::nullopt);
}

}  // namespace
}  // namespace dovel::platform
