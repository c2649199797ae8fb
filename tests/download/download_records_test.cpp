#include "download/download_records.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/local_databases.h"
#include "support/temp_folder.h"
#include "util/letter_pair.h"

namespace dovel::download {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kHash = "0123456789abcdef0123456789abcdef";
constexpr const char* kOtherHash = "fedcba9876543210fedcba9876543210";

class DownloadRecordsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(app::open_local_databases(home.path(), databases)); }

  db::InfoDatabase& info() { return databases.info; }

  std::vector<std::string> column(const std::string& sql) {
    std::vector<std::string> values;
    for (db::Sqlite2Query query = info().connection().Query(sql); !query.AtEnd(); query.Next()) values.push_back(query.Text(0));
    return values;
  }

  static QueuedRow row(const std::string& hash, const std::string& name) {
    return {hash, name, 5000, 0, "peer", "pw", 0, "", ""};
  }

  dovel::test::TempFolder home;
  app::LocalDatabases databases;
};

MATCHER_P3(IsSource, address, port, peer_id, "") { return arg.address == address && arg.port == port && arg.peer_id == peer_id; }

TEST_F(DownloadRecordsTest, QueuedRowsKeepHostileTextsAndComeBackInListOrder) {
  QueuedRow hostile{kHash, "it's \"quoted\"; Drop Table [addr_info];--.mp3", 123456789012LL, 77, "o'neil", "p\"w", 2, "a\\b's", "sub\\dir"};
  ASSERT_TRUE(insert_queued_row(info(), hostile));
  ASSERT_TRUE(insert_queued_row(info(), row(kOtherHash, "second.avi")));
  ASSERT_TRUE(update_order(info(), kOtherHash, "peer", 0));
  ASSERT_TRUE(update_order(info(), kHash, "new'peer", 1));
  EXPECT_FALSE(insert_queued_row(info(), row(kHash, "again")));  // the FileHash is the key

  std::vector<QueuedRow> rows = load_queued_rows(info());
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].hash, kOtherHash);
  const QueuedRow& loaded = rows[1];
  EXPECT_EQ(loaded.file_name, hostile.file_name);
  EXPECT_EQ(loaded.size, hostile.size);
  EXPECT_EQ(loaded.current, 77);
  EXPECT_EQ(loaded.peer_id, "new'peer");
  EXPECT_EQ(loaded.password, "p\"w");
  EXPECT_EQ(loaded.shared_index, 2);
  EXPECT_EQ(loaded.path, "a\\b's");
  EXPECT_EQ(loaded.sub_folder, "sub\\dir");
  EXPECT_THAT(column("Select count(*) From [addr_info]"), ElementsAre("0"));
}

TEST_F(DownloadRecordsTest, ProgressUpdatesOnlyItsRow) {
  ASSERT_TRUE(insert_queued_row(info(), row(kHash, "a")));
  ASSERT_TRUE(insert_queued_row(info(), row(kOtherHash, "b")));
  ASSERT_TRUE(update_progress(info(), kHash, 4096, 3, "music\\x.mp3"));
  std::vector<QueuedRow> rows = load_queued_rows(info());
  ASSERT_EQ(rows.size(), 2u);
  for (const QueuedRow& loaded : rows) {
    const bool updated = loaded.hash == kHash;
    EXPECT_EQ(loaded.current, updated ? 4096 : 0);
    EXPECT_EQ(loaded.shared_index, updated ? 3 : 0);
    EXPECT_EQ(loaded.path, updated ? "music\\x.mp3" : "");
  }
}

TEST_F(DownloadRecordsTest, SourcesAreStoredOnceWithEncodedPeerIds) {
  const Source first{0x0100007F, 9910, "alice"};
  const Source second{0xFFFFFFFE, 65535, ""};  // an address above 2^31 survives the signed column
  ASSERT_TRUE(add_sources(info(), kHash, {first, second}));
  ASSERT_TRUE(add_sources(info(), kHash, {first, {0x0100007F, 9910, "other"}}));
  EXPECT_THAT(column("Select [id] From [addr_info] Where [id]<>'' "), ElementsAre(util::Encode("alice")));
  EXPECT_THAT(load_sources(info(), kHash), ElementsAre(IsSource(first.address, first.port, "alice"), IsSource(second.address, 65535, "")));
  EXPECT_THAT(load_sources(info(), kOtherHash), IsEmpty());
}

TEST_F(DownloadRecordsTest, PlainPeerIdsFromOlderRowsAreTakenAsStored) {
  ASSERT_EQ(info().InfoExecute("Insert Into [addr_info] ([hash],[ip],[port],[id]) Values ('" + std::string(kHash) + "',16777343,9910,'bob')"),
            true);
  EXPECT_THAT(load_sources(info(), kHash), ElementsAre(IsSource(0x0100007Fu, 9910, "bob")));
}

TEST_F(DownloadRecordsTest, ReplacedSourcesLeaveOnlyTheNewSet) {
  ASSERT_TRUE(add_sources(info(), kHash, {{1, 1, "a"}, {2, 2, "b"}}));
  ASSERT_TRUE(add_sources(info(), kOtherHash, {{1, 1, "a"}}));
  ASSERT_TRUE(replace_sources(info(), kHash, {{3, 3, "c"}}));
  EXPECT_THAT(load_sources(info(), kHash), ElementsAre(IsSource(3u, 3, "c")));
  EXPECT_EQ(load_sources(info(), kOtherHash).size(), 1u);
}

TEST_F(DownloadRecordsTest, MovedPeerGetsItsNewAddressEverywhere) {
  ASSERT_TRUE(add_sources(info(), kHash, {{1, 1, "mover"}, {2, 2, "stays"}}));
  ASSERT_TRUE(add_sources(info(), kOtherHash, {{1, 1, "mover"}}));
  ASSERT_TRUE(update_source_address(info(), "mover", 9, 99));
  EXPECT_THAT(load_sources(info(), kHash), ElementsAre(IsSource(9u, 99, "mover"), IsSource(2u, 2, "stays")));
  EXPECT_THAT(load_sources(info(), kOtherHash), ElementsAre(IsSource(9u, 99, "mover")));
  EXPECT_FALSE(update_source_address(info(), "", 5, 5));
  EXPECT_THAT(load_sources(info(), kHash), ElementsAre(IsSource(9u, 99, "mover"), IsSource(2u, 2, "stays")));
}

TEST_F(DownloadRecordsTest, DeletingAFileEmptiesAllThreeTablesForItsHashOnly) {
  for (const char* hash : {kHash, kOtherHash}) {
    ASSERT_TRUE(insert_queued_row(info(), row(hash, hash)));
    ASSERT_TRUE(add_sources(info(), hash, {{1, 1, "a"}}));
    ASSERT_TRUE(insert_range_placeholder(info(), hash));
  }
  ASSERT_TRUE(delete_queued_file(info(), kHash));
  EXPECT_FALSE(has_range_rows(info(), kHash));
  EXPECT_TRUE(has_range_rows(info(), kOtherHash));
  EXPECT_THAT(load_sources(info(), kHash), IsEmpty());
  ASSERT_EQ(load_queued_rows(info()).size(), 1u);
  EXPECT_EQ(load_queued_rows(info())[0].hash, kOtherHash);
}

TEST_F(DownloadRecordsTest, GroupedStatementsDoNotCommitAnOpenTransactionEarly) {
  info().InfoBegin();
  ASSERT_TRUE(insert_queued_row(info(), row(kHash, "a")));
  ASSERT_TRUE(replace_sources(info(), kHash, {{1, 1, "a"}}));
  EXPECT_EQ(info().nesting(), 1);
  ASSERT_TRUE(info().InfoExecute("rollback transaction;"));
  EXPECT_THAT(load_queued_rows(info()), IsEmpty());
  EXPECT_THAT(load_sources(info(), kHash), IsEmpty());
}

TEST_F(DownloadRecordsTest, FailuresAreReportedNotThrown) {
  info().Close();
  EXPECT_FALSE(insert_queued_row(info(), row(kHash, "a")));
  EXPECT_FALSE(add_sources(info(), kHash, {{1, 1, "a"}}));
  EXPECT_FALSE(delete_queued_file(info(), kHash));
  EXPECT_FALSE(has_range_rows(info(), kHash));
  EXPECT_THAT(load_queued_rows(info()), IsEmpty());
  EXPECT_THAT(load_sources(info(), kHash), IsEmpty());
}

}  // namespace
}  // namespace dovel::download
