#include "download/received_ranges.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/local_databases.h"
#include "download/charge_rule.h"
#include "support/temp_folder.h"

namespace dovel::download {
namespace {

constexpr int64_t k3MiB = 3 * kMiB;

// ---- the split rules ----

TEST(ReceivedRangesTest, NewFileIsOnePieceThatTheFirstConnectionTakesWhole) {
  ReceivedRanges ranges(k3MiB);
  EXPECT_EQ(ranges.received(), 0);
  ReceivedRanges::Assignment first = ranges.assign(1, 0);
  ASSERT_TRUE(first.piece);
  EXPECT_EQ(*first.piece, (ByteRange{0, k3MiB}));
  EXPECT_EQ(first.close_owner, kNoConnection);
}

TEST(ReceivedRangesTest, FreePiecesAreTakenWholeBeforeAnyIsSplit) {
  ReceivedRanges ranges(10 * kMiB, {{0, 100}, {5 * kMiB, 6 * kMiB}});
  EXPECT_EQ(*ranges.assign(1, 0).piece, (ByteRange{0, 100}));
  EXPECT_EQ(*ranges.assign(2, 1).piece, (ByteRange{5 * kMiB, 6 * kMiB}));
  // Both in use now: the largest (1 MiB) is split, the owner keeps the lower half.
  EXPECT_EQ(*ranges.assign(3, 2).piece, (ByteRange{5 * kMiB + kMiB / 2, 6 * kMiB}));
  EXPECT_EQ(ranges.piece_of(2), (ByteRange{5 * kMiB, 5 * kMiB + kMiB / 2}));
}

struct SplitCase {
  const char* name;
  int64_t remaining;   // what the only piece in use still holds
  int others_active;   // other connections active when the newcomer arrives
  bool newcomer_gets_piece;
  bool owner_closed;
};

TEST(ReceivedRangesTest, SplitRules) {
  const SplitCase cases[] = {
      {"a second connection to a 3 MiB file halves it", k3MiB, 1, true, false},
      {"exactly 1 MiB is still split", kMiB, 2, true, false},
      {"below 1 MiB with two others: no piece", kMiB - 1, 2, false, false},
      {"below 1 MiB with exactly one other: it is closed", kMiB - 1, 1, true, true},
      {"one byte cannot be split", 1, 1, false, false},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    ReceivedRanges ranges(k3MiB, {{k3MiB - c.remaining, k3MiB}});
    ASSERT_TRUE(ranges.assign(1, 0).piece);
    ReceivedRanges::Assignment second = ranges.assign(2, c.others_active);
    EXPECT_EQ(second.piece.has_value(), c.newcomer_gets_piece);
    EXPECT_EQ(second.close_owner, c.owner_closed ? ConnectionId{1} : kNoConnection);
    if (!second.piece) continue;
    const int64_t start = k3MiB - c.remaining;
    const int64_t split = start + (c.remaining + 1) / 2;
    EXPECT_EQ(*second.piece, (ByteRange{split, k3MiB}));
    EXPECT_EQ(ranges.piece_of(1), (ByteRange{start, split}));
    EXPECT_EQ(ranges.received(), start);
  }
}

TEST(ReceivedRangesTest, ClosedOwnersLowerHalfGoesToTheNextNewcomer) {
  ReceivedRanges ranges(k3MiB, {{k3MiB - 1000, k3MiB}});
  ranges.assign(1, 0);
  ReceivedRanges::Assignment second = ranges.assign(2, 1);
  ASSERT_EQ(second.close_owner, 1u);
  ranges.release(1);
  EXPECT_EQ(*ranges.assign(3, 1).piece, (ByteRange{k3MiB - 1000, k3MiB - 500}));
}

TEST(ReceivedRangesTest, PiecesShrinkFromTheFrontAndFinishedOnesGoOnRelease) {
  ReceivedRanges ranges(3000);
  ranges.assign(7, 0);
  EXPECT_EQ(ranges.advance(7, 1000), 2000);
  EXPECT_EQ(ranges.piece_of(7), (ByteRange{1000, 3000}));
  EXPECT_EQ(ranges.received(), 1000);
  EXPECT_EQ(ranges.advance(7, 5000), 0);  // never past the piece's end
  EXPECT_FALSE(ranges.complete());        // still owned
  ranges.release(7);
  EXPECT_TRUE(ranges.complete());
  EXPECT_EQ(ranges.received(), 3000);
  EXPECT_FALSE(ranges.assign(8, 0).piece);
}

TEST(ReceivedRangesTest, AReleasedUnfinishedPieceIsFreeAgain) {
  ReceivedRanges ranges(3000);
  ranges.assign(1, 0);
  ranges.advance(1, 500);
  ranges.release(1);
  EXPECT_EQ(ranges.missing(), (std::vector<ByteRange>{{500, 3000}}));
  EXPECT_EQ(*ranges.assign(2, 0).piece, (ByteRange{500, 3000}));
}

TEST(ReceivedRangesTest, NothingRecordedMeansTheWholeFile) {
  EXPECT_EQ(ReceivedRanges(4096, {}).missing(), (std::vector<ByteRange>{{0, 4096}}));
  EXPECT_EQ(ReceivedRanges(4096, {{5, 5}}).missing(), (std::vector<ByteRange>{{0, 4096}}));
}

// ---- clamping what was recorded ----

struct ClampCase {
  const char* name;
  std::vector<ByteRange> recorded;
  int64_t file_length;
  std::vector<ByteRange> expected;
};

TEST(ReceivedRangesTest, RecordedRangesAreClampedToTheFile) {
  constexpr int64_t size = 10000;
  const ClampCase cases[] = {
      {"file as long as recorded", {{4000, 10000}}, 4000, {{4000, 10000}}},
      {"file shorter than the recorded progress", {{8000, 10000}}, 3000, {{3000, 10000}}},
      {"a hole recorded, file ends inside it", {{2000, 3000}, {8000, 10000}}, 2500, {{2000, 10000}}},
      {"a hole recorded, file ends after it", {{2000, 3000}, {8000, 10000}}, 5000, {{2000, 3000}, {5000, 10000}}},
      {"full-length file keeps the record", {{2000, 3000}}, 10000, {{2000, 3000}}},
      {"ranges outside the file cut off", {{-50, 100}, {9000, 20000}}, 10000, {{0, 100}, {9000, 10000}}},
      {"overlapping and unordered merged", {{500, 900}, {100, 600}, {900, 950}}, 10000, {{100, 950}}},
      {"empty and reversed dropped", {{300, 300}, {700, 200}}, 10000, {}},
      {"nothing recorded stays nothing", {}, 0, {}},
  };
  for (const ClampCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(clamp_recorded_ranges(c.recorded, size, c.file_length), c.expected);
  }
}

// ---- the charge rule ----

struct ChargeCase {
  const char* name;
  int64_t piece_start;
  int64_t received_end;
  int64_t item_received;
  int64_t megabytes;
};

TEST(ChargeRuleTest, FirstTenMegabytesAreFree) {
  const ChargeCase cases[] = {
      {"whole 20 MiB file from one server", 0, 20 * kMiB, 20 * kMiB, 10},
      {"within the first 10 MiB", 0, 10 * kMiB, 20 * kMiB, 0},
      {"item below 11 MiB charges nothing", 0, 11 * kMiB - 1, 11 * kMiB - 1, 0},
      {"item at exactly 11 MiB", 0, 11 * kMiB, 11 * kMiB, 1},
      {"a piece beyond the free part", 15 * kMiB, 18 * kMiB + 5, 30 * kMiB, 3},
      {"a piece straddling 10 MiB", 5 * kMiB, 13 * kMiB, 30 * kMiB, 3},
      {"partial megabytes round down", 12 * kMiB + 100, 13 * kMiB - 1, 30 * kMiB, 0},
      {"nothing received", 12 * kMiB, 12 * kMiB, 30 * kMiB, 0},
  };
  for (const ChargeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(charged_megabytes(c.piece_start, c.received_end, c.item_received), c.megabytes);
  }
}

// ---- down_file_info ----

class RangeRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(app::open_local_databases(temp.path(), databases)); }

  int64_t row_count(const std::string& hash) {
    db::Sqlite2Statement count = databases.info.connection().Prepare("Select count(*) From [down_file_info] Where [hash]=?");
    count.Bind(0, hash);
    return std::stoll(count.Query().Text(0));
  }

  test::TempFolder temp;
  app::LocalDatabases databases;
};

TEST_F(RangeRecordsTest, SavedRangesLoadBackAndReplaceTheOldOnes) {
  const std::string hash(32, 'a');
  ASSERT_TRUE(save_ranges(databases.info, hash, {{0, 10}, {20, 30}}));
  ASSERT_TRUE(save_ranges(databases.info, hash, {{5, 10}, {25, 30}}));
  EXPECT_EQ(load_ranges(databases.info, hash), (std::vector<ByteRange>{{5, 10}, {25, 30}}));
  EXPECT_TRUE(load_ranges(databases.info, std::string(32, 'b')).empty());
}

TEST_F(RangeRecordsTest, ThePlaceholderRowIsSkipped) {
  const std::string hash(32, 'c');
  ASSERT_TRUE(databases.info.InfoExecute("Insert Into [down_file_info] ([hash],[start_pos],[end_pos]) Values('" + hash + "',0,0)"));
  EXPECT_TRUE(load_ranges(databases.info, hash).empty());
  ASSERT_TRUE(save_ranges(databases.info, hash, {}));
  EXPECT_EQ(row_count(hash), 0);
}

TEST_F(RangeRecordsTest, AHashWithQuotesIsBoundNotSpliced) {
  const std::string hostile = "x\"); Delete From [down_file_info]; --";
  const std::string other(32, 'd');
  ASSERT_TRUE(save_ranges(databases.info, other, {{1, 2}}));
  ASSERT_TRUE(save_ranges(databases.info, hostile, {{3, 4}}));
  EXPECT_EQ(load_ranges(databases.info, hostile), (std::vector<ByteRange>{{3, 4}}));
  EXPECT_EQ(row_count(other), 1);
}

TEST_F(RangeRecordsTest, SavingInsideAnOpenTransactionCommitsWithIt) {
  const std::string hash(32, 'e');
  {
    db::InfoTransaction transaction(databases.info);
    ASSERT_TRUE(save_ranges(databases.info, hash, {{7, 9}}));
    EXPECT_EQ(databases.info.nesting(), 1);
  }
  EXPECT_EQ(databases.info.nesting(), 0);
  EXPECT_EQ(load_ranges(databases.info, hash), (std::vector<ByteRange>{{7, 9}}));
}

}  // namespace
}  // namespace dovel::download
