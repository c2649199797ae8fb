#include "util/scratch_store.h"

#include <gtest/gtest.h>

#include "support/fake_clock.h"

namespace dovel::util {
namespace {

TEST(ScratchStore, PutKeepsTheFirstValueAndRenewsItsTime) {
  test::FakeClock clock;
  ScratchStore store(clock);
  store.Put("key", "first");
  clock.advance_ms(50000);
  store.Put("key", "second");
  clock.advance_ms(50000);
  store.Expire();
  EXPECT_EQ(store.Take("key"), "first");
  EXPECT_EQ(store.Take("key"), std::nullopt) << "Take removes the entry";
}

TEST(ScratchStore, ExpireDropsEntriesOlderThanAMinuteAcrossTheTickWrap) {
  test::FakeClock clock;
  clock.set_tick(0xFFFFFFFFu - 1000);
  ScratchStore store(clock);
  store.Put("old", "a");
  clock.advance_ms(30000);  // wraps past zero
  store.Put("young", "b");
  clock.advance_ms(30001);
  store.Expire();
  EXPECT_EQ(store.Take("old"), std::nullopt);
  EXPECT_EQ(store.Take("young"), "b");
}

TEST(ScratchStore, RemoveAndClear) {
  ScratchStore store;
  store.Put("a", "1");
  store.Put("b", "2");
  store.Remove("a");
  EXPECT_EQ(store.size(), 1u);
  store.Clear();
  EXPECT_EQ(store.size(), 0u);
}

TEST(ScratchStore, KeysOfDifferentDownloadsNeverCollide) {
  // Without separators "a1" + "23" and "a12" + "3" would be one key.
  EXPECT_NE(ScratchKey("a1", "23", 1, 2), ScratchKey("a12", "3", 1, 2));
  EXPECT_NE(ScratchKey("f", "1", 12, 3), ScratchKey("f", "1", 1, 23));
  EXPECT_EQ(ScratchKey("f", "1", 12, 3), ScratchKey("f", "1", 12, 3));
}

}  // namespace
}  // namespace dovel::util
