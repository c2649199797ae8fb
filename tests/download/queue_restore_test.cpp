#include "download/queue_restore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/local_databases.h"
#include "download/download_records.h"
#include "share/file_hash.h"
#include "support/temp_folder.h"
#include "util/letter_pair.h"

namespace dovel::download {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

constexpr const char* kHashA = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
constexpr const char* kHashB = "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb";
constexpr const char* kHashC = "cccccccccccccccccccccccccccccccc";

MATCHER_P2(IsLeftover, name, size, "") { return arg.name == name && arg.size == size; }

class QueueRestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(app::open_local_databases(home.path(), databases));
    std::filesystem::create_directories(download_folder / "_DTEMP_");
  }

  db::InfoDatabase& info() { return databases.info; }

  // A queued file as an earlier run left it: its row, a source and range rows.
  void queue(const std::string& hash, const std::string& name, int64_t current, bool with_ranges = true, int index = 0) {
    ASSERT_TRUE(insert_queued_row(info(), {hash, name, 10000, current, "peer", "pw", 1, "share\\" + name, ""}));
    ASSERT_TRUE(update_order(info(), hash, "peer", index));
    ASSERT_TRUE(add_sources(info(), hash, {{0x0100007F, 9910, "peer"}}));
    if (with_ranges) {
      ASSERT_TRUE(insert_range_placeholder(info(), hash));
    }
  }

  void write_temporary(const std::string& name, std::string_view content) {
    home.write(("Download/_DTEMP_/[DOVEL]" + name), content);
  }

  bool rows_left(const std::string& hash) {
    bool queued = false;
    for (const QueuedRow& row : load_queued_rows(info())) queued = queued || row.hash == hash;
    return queued || has_range_rows(info(), hash) || !load_sources(info(), hash).empty();
  }

  std::vector<std::string> restored_hashes(const RestoredQueue& restored) {
    std::vector<std::string> hashes;
    for (const auto& item : restored.items) hashes.push_back(item->hash);
    return hashes;
  }

  dovel::test::TempFolder home;
  app::LocalDatabases databases;
  std::filesystem::path download_folder = home / "Download";
};

TEST_F(QueueRestoreTest, RowsComeBackStoppedWithTheirFieldsAndSourcesInQueueOrder) {
  queue(kHashB, "b.bin", 0, true, 1);
  queue(kHashA, "a.bin", 4096, true, 0);
  write_temporary("a.bin", "partial");
  RestoredQueue restored = restore_queue(info(), download_folder, {});
  ASSERT_THAT(restored_hashes(restored), ElementsAre(kHashA, kHashB));
  const DownloadItem& item = *restored.items[0];
  EXPECT_EQ(item.current_state(), ItemState::Stopped);
  EXPECT_EQ(item.file_name, "a.bin");
  EXPECT_EQ(item.size, 10000);
  EXPECT_EQ(item.received, 4096);
  EXPECT_EQ(item.peer_id, "peer");
  EXPECT_EQ(item.folder_password, "pw");
  EXPECT_EQ(item.server_share_index, 1);
  EXPECT_EQ(item.server_path, "share\\a.bin");
  EXPECT_EQ(item.download_folder, download_folder.string());
  ASSERT_EQ(item.sources.size(), 1u);
  EXPECT_EQ(item.sources[0].peer_id, "peer");
  EXPECT_THAT(restored.dropped_hashes, IsEmpty());
  EXPECT_THAT(restored.leftovers, IsEmpty());
}

TEST_F(QueueRestoreTest, MissingTemporaryFileWithBytesReceivedRemovesTheRowsFromAllThreeTables) {
  queue(kHashA, "gone.bin", 4096);
  queue(kHashB, "empty.bin", 4096);
  write_temporary("empty.bin", "");
  RestoredQueue restored = restore_queue(info(), download_folder, {});
  EXPECT_THAT(restored.items, IsEmpty());
  EXPECT_THAT(restored.dropped_hashes, UnorderedElementsAre(kHashA, kHashB));
  EXPECT_FALSE(rows_left(kHashA));
  EXPECT_FALSE(rows_left(kHashB));
  EXPECT_FALSE(std::filesystem::exists(download_folder / "_DTEMP_/[DOVEL]empty.bin"));  // its own empty file went as a stray
}

// A program that ended after the finished file was moved into place, before
// its row went: the item comes back finished, as the run would have left it,
// and its rows go; it never fetches the file again. Whatever it had received
// by the last checkpoint.
TEST_F(QueueRestoreTest, ARowWhoseFileIsAlreadyInPlaceComesBackFinishedUnlessTheBytesDiffer) {
  for (const int64_t current : {int64_t{0}, int64_t{4096}}) {
    SCOPED_TRACE(current);
    const std::string content(10000, 'x');
    home.write("Download/done.bin", content);
    std::optional<share::FileHash> hash = share::sampled_md5_of_file(download_folder / "done.bin");
    ASSERT_TRUE(hash);
    queue(*hash, "done.bin", current);
    home.write("Download/other.bin", std::string(10000, 'y'));
    queue(kHashB, "other.bin", 0);
    RestoredQueue restored = restore_queue(info(), download_folder, {});
    ASSERT_THAT(restored_hashes(restored), ElementsAre(*hash, kHashB));
    EXPECT_EQ(restored.items[0]->current_state(), ItemState::Finished);
    EXPECT_EQ(restored.items[0]->received, 10000);
    EXPECT_EQ(restored.items[1]->current_state(), ItemState::Stopped);
    EXPECT_THAT(restored.dropped_hashes, ElementsAre(*hash));
    EXPECT_FALSE(rows_left(*hash));
    EXPECT_TRUE(rows_left(kHashB));
    EXPECT_EQ(dovel::test::read_file(download_folder / "done.bin"), content);
    ASSERT_TRUE(delete_queued_file(info(), kHashB));
  }
}

// Bytes past the item's end have no place in the file: the partial file is cut back.
TEST_F(QueueRestoreTest, APartialFileLongerThanItsItemIsCutToTheItemsSize) {
  queue(kHashA, "long.bin", 4096);
  write_temporary("long.bin", std::string(12000, 'z'));
  queue(kHashB, "short.bin", 4096);
  write_temporary("short.bin", std::string(5000, 'z'));
  RestoredQueue restored = restore_queue(info(), download_folder, {});
  EXPECT_THAT(restored_hashes(restored), ElementsAre(kHashA, kHashB));
  EXPECT_EQ(std::filesystem::file_size(download_folder / "_DTEMP_/[DOVEL]long.bin"), 10000u);
  EXPECT_EQ(std::filesystem::file_size(download_folder / "_DTEMP_/[DOVEL]short.bin"), 5000u);
}

TEST_F(QueueRestoreTest, MissingDownloadFolderDropsNoRowForAMissingFile) {
  queue(kHashA, "a.bin", 4096);
  queue(kHashB, "no-ranges.bin", 0, false);
  std::filesystem::remove_all(download_folder);
  RestoredQueue restored = restore_queue(info(), download_folder, {});
  EXPECT_THAT(restored_hashes(restored), ElementsAre(kHashA));
  EXPECT_THAT(restored.dropped_hashes, ElementsAre(kHashB));
  EXPECT_TRUE(rows_left(kHashA));
}

TEST_F(QueueRestoreTest, RowsWithoutRangeRowsOrWithUnusableFieldsAreDropped) {
  queue(kHashA, "no-ranges.bin", 0, false);
  queue(kHashB, "..", 0);
  queue("not-a-hash", "c.bin", 0);
  queue(kHashC, "fine.bin", 0);
  RestoredQueue restored = restore_queue(info(), download_folder, {});
  EXPECT_THAT(restored_hashes(restored), ElementsAre(kHashC));
  EXPECT_THAT(restored.dropped_hashes, UnorderedElementsAre(kHashA, kHashB, "not-a-hash"));
  EXPECT_FALSE(rows_left(kHashB));
  EXPECT_FALSE(rows_left("not-a-hash"));
  EXPECT_TRUE(rows_left(kHashC));
}

TEST_F(QueueRestoreTest, StrayTemporaryFilesAreDeletedWhenEmptyAndReportedOtherwise) {
  queue(kHashA, "kept.bin", 5);
  write_temporary("kept.bin", "12345");
  write_temporary("stray-empty.bin", "");
  write_temporary("stray-full.bin", "123");
  home.write("Download/_DTEMP_/no-prefix.txt", "abcd");
  std::filesystem::create_directories(download_folder / "_DTEMP_/a folder");
  RestoredQueue restored = restore_queue(info(), download_folder, {});
  EXPECT_THAT(restored_hashes(restored), ElementsAre(kHashA));
  EXPECT_THAT(restored.deleted_empty_files, ElementsAre("[DOVEL]stray-empty.bin"));
  EXPECT_THAT(restored.leftovers, UnorderedElementsAre(IsLeftover("[DOVEL]stray-full.bin", 3), IsLeftover("no-prefix.txt", 4)));
  EXPECT_FALSE(std::filesystem::exists(download_folder / "_DTEMP_/[DOVEL]stray-empty.bin"));
  EXPECT_TRUE(std::filesystem::exists(download_folder / "_DTEMP_/[DOVEL]stray-full.bin"));
  EXPECT_TRUE(std::filesystem::exists(download_folder / "_DTEMP_/[DOVEL]kept.bin"));
  EXPECT_TRUE(std::filesystem::is_directory(download_folder / "_DTEMP_/a folder"));
}

TEST_F(QueueRestoreTest, EmptyFileOfAWaitingRowIsKept) {
  queue(kHashA, "not-started.bin", 0);
  write_temporary("not-started.bin", "");
  RestoredQueue restored = restore_queue(info(), download_folder, {});
  EXPECT_THAT(restored_hashes(restored), ElementsAre(kHashA));
  EXPECT_TRUE(std::filesystem::exists(download_folder / "_DTEMP_/[DOVEL]not-started.bin"));
}

TEST_F(QueueRestoreTest, ItemsAlreadyListedAreLeftAlone) {
  queue(kHashA, "listed.bin", 4096);  // no temporary file, but it is in the list
  write_temporary("other-listed.bin", "");
  RestoredQueue restored = restore_queue(info(), download_folder, {{kHashA, "listed.bin"}, {kHashB, "other-listed.bin"}});
  EXPECT_THAT(restored.items, IsEmpty());
  EXPECT_THAT(restored.dropped_hashes, IsEmpty());
  EXPECT_TRUE(rows_left(kHashA));
  EXPECT_TRUE(std::filesystem::exists(download_folder / "_DTEMP_/[DOVEL]other-listed.bin"));
}

TEST_F(QueueRestoreTest, SecondRowOfOneNameIsDropped) {
  queue(kHashA, "same.bin", 0, true, 0);
  queue(kHashB, "same.bin", 0, true, 1);
  RestoredQueue restored = restore_queue(info(), download_folder, {});
  EXPECT_THAT(restored_hashes(restored), ElementsAre(kHashA));
  EXPECT_THAT(restored.dropped_hashes, ElementsAre(kHashB));
}

TEST_F(QueueRestoreTest, TemporaryFolderLinkedOutsideIsNeitherSweptNorTrusted) {
  std::filesystem::remove(download_folder / "_DTEMP_");
  home.write("elsewhere/[DOVEL]a.bin", "data");
  home.write("elsewhere/empty", "");
  std::filesystem::create_directory_symlink(home / "elsewhere", download_folder / "_DTEMP_");
  queue(kHashA, "a.bin", 4);
  RestoredQueue restored = restore_queue(info(), download_folder, {});
  EXPECT_THAT(restored.items, IsEmpty());
  EXPECT_THAT(restored.leftovers, IsEmpty());
  EXPECT_TRUE(std::filesystem::exists(home / "elsewhere/empty"));
}

}  // namespace
}  // namespace dovel::download
