#include "share/hash_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/message_ids.h"
#include "platform/filetime.h"
#include "share/file_hash.h"
#include "share/hashing_fixture.h"
#include "share/shared_file_statements.h"

namespace dovel::share {
namespace {

constexpr int64_t kLarge = kPrehashThreshold + 1;

using HashRunTest = HashingFixture;

TEST_F(HashRunTest, RecordsFilesAndFoldersOfEveryShare) {
  set_shares({{"public", settings::SHARE_READ | settings::SHARE_ADULT}, {"friends", settings::SHARE_READ | settings::SHARE_FRIEND}});
  const auto public_root = share_folder("public");
  temp.write("shares/public/top.txt", "top");
  temp.write("shares/public/empty.txt", "");
  temp.write("shares/public/Music/Rock/song.mp3", "la la");
  temp.write("shares/public/it's \"quoted\".txt", "q");
  const auto big = sparse(public_root / "Music/big.avi", kLarge);
  sparse(share_folder("friends") / "private.avi", kLarge);
  const int64_t small_bytes = 3 + 5 + 1;

  auto hash_run = run(1);

  const auto big_time = static_cast<int32_t>(platform::last_write_filetime(big).value() & 0xFFFFFFFFu);
  const std::vector<Row> expected_public = {
      {*folder_hash("", "Music", 0), "Music", "", kDirectoryRow, 0, 0, "", 5, "public", 0},
      {"", "it's \"quoted\"", "txt", kFileRow, 1, 0, "", 5, "public", 0},
      {"", "top", "txt", kFileRow, 3, 0, "", 5, "public", 0},
      {*folder_hash("\\Music", "Rock", 0), "Rock", "", kDirectoryRow, 0, 0, "Music", 5, "public", 0},
      {*sampled_md5_of_file(big), "big", "avi", kFileRow, kLarge, big_time, "Music", 5, "public", 0},
      {"", "song", "mp3", kFileRow, 5, 0, "Music\\Rock", 5, "public", 0},
  };
  std::vector<Row> found = rows();
  ASSERT_EQ(found.size(), expected_public.size() + 1);
  for (size_t i = 0; i < expected_public.size(); ++i) {
    const Row& want = expected_public[i];
    const Row& got = found[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(got.hash, want.hash);
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.extension, want.extension);
    EXPECT_EQ(got.file_type, want.file_type);
    EXPECT_EQ(got.size, want.size);
    EXPECT_EQ(got.last_write_time, want.last_write_time);
    EXPECT_EQ(got.path, want.path);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.shared_name, want.shared_name);
    EXPECT_EQ(got.shared_index, want.shared_index);
  }
  const Row& friends = found.back();
  EXPECT_EQ(friends.name, "private");
  EXPECT_EQ(friends.hash, "") << "friend-only files are hashed when asked for";
  EXPECT_EQ(friends.right, settings::SHARE_READ | settings::SHARE_FRIEND);
  EXPECT_EQ(friends.shared_index, 1);

  EXPECT_EQ(hash_run->counts().files, 5u);
  EXPECT_EQ(hash_run->counts().hashed, 1);
  EXPECT_EQ(hash_run->counts().total_bytes, 2 * kLarge + small_bytes);
  EXPECT_EQ(totals.get().files, 5u);
  EXPECT_EQ(totals.get().mib, static_cast<uint32_t>((2 * kLarge + small_bytes) / 1024 / 1024));
  ASSERT_EQ(target.seen().size(), 1u);
  EXPECT_EQ(target.seen()[0].id, core::UM_HASH_DONE);
  EXPECT_EQ(target.seen()[0].wparam, 1u);
  EXPECT_EQ(target.seen()[0].lparam, 1);
}

TEST_F(HashRunTest, AtMost500FilesAreHashedPerRun) {
  set_shares({{"big", settings::SHARE_READ}});
  for (int i = 0; i < kMaxHashedPerRun + 1; ++i) sparse(share_folder("big") / ("f" + std::to_string(i) + ".bin"), kLarge);
  auto first = run();
  EXPECT_EQ(first->counts().hashed, kMaxHashedPerRun);
  EXPECT_EQ(rows("hash = ''").size(), 1u);

  auto second = run();
  EXPECT_EQ(second->counts().hashed, 1) << "the next run reuses 500 and hashes the one left";
  EXPECT_EQ(rows("hash = ''").size(), 0u);
}

TEST_F(HashRunTest, UnchangedFilesKeepTheirHashWithoutBeingRead) {
  set_shares({{"public", settings::SHARE_READ}});
  const auto kept = sparse(share_folder("public") / "kept.bin", kLarge);
  const auto touched = sparse(share_folder("public") / "touched.bin", kLarge);
  run();
  const std::string kept_hash = rows_named("kept").at(0).hash;
  const std::string touched_hash = rows_named("touched").at(0).hash;

  // New bytes with the old time stamp: only a file that is read again would notice.
  struct stat before {};
  ASSERT_EQ(::stat(kept.c_str(), &before), 0);
  {
    int fd = ::open(kept.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "changed", 7, 0), 7);
    ::close(fd);
  }
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, kept.c_str(), times, 0), 0);
  // The other file gets a new time stamp and new bytes.
  {
    int fd = ::open(touched.c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, "changed", 7, 0), 7);
    ::close(fd);
    const timespec later[2] = {{0, UTIME_OMIT}, {before.st_mtim.tv_sec + 100, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, touched.c_str(), later, 0), 0);
  }

  auto second = run();
  EXPECT_EQ(second->counts().hashed, 1);
  EXPECT_EQ(rows_named("kept").at(0).hash, kept_hash) << "reused from the table";
  EXPECT_NE(rows_named("touched").at(0).hash, touched_hash) << "hashed anew";
  EXPECT_EQ(rows_named("touched").at(0).hash, *sampled_md5_of_file(touched));
  EXPECT_EQ(rows().size(), 2u) << "no duplicates, no stale rows";
}

TEST_F(HashRunTest, ReusedRowsTakeTheSharesCurrentFlags) {
  set_shares({{"public", settings::SHARE_READ | settings::SHARE_ADULT}});
  sparse(share_folder("public") / "a.bin", kLarge);
  run();
  ASSERT_TRUE(settings.set_shared_folders({{"public", share_folder("public").string(), settings::SHARE_READ}}));
  auto second = run();
  EXPECT_EQ(second->counts().hashed, 0);
  EXPECT_EQ(rows_named("a").at(0).right, settings::SHARE_READ);
}

TEST_F(HashRunTest, CancellingDeletesTheRowsOfFoldersNotWalked) {
  set_shares({{"first", settings::SHARE_READ}, {"second", settings::SHARE_READ}});
  for (int i = 0; i < 3; ++i) {
    temp.write("shares/first/a" + std::to_string(i) + ".txt", "x");
    temp.write("shares/second/b" + std::to_string(i) + ".txt", "x");
  }
  run();
  ASSERT_EQ(rows().size(), 6u);

  HashRun* cancelled = nullptr;
  HashRunContext run_context = context();
  run_context.after_each_file = [&cancelled] { cancelled->Stop(); };
  HashRun second(run_context, 0);
  cancelled = &second;
  second.Run();

  EXPECT_EQ(rows().size(), 1u) << "the one file walked before the stop stays";
  EXPECT_TRUE(rows("shared_index = 1").empty());
  ASSERT_EQ(target.seen().size(), 2u);
  EXPECT_EQ(target.seen()[1].lparam, 0) << "not completed normally";
  EXPECT_NE(test::read_file(util::ProcessLog()->file_for(util::kSystemLog, platform::system_clock().local_now())).find("파일해싱이 중지되었습니다."),
            std::string::npos);
}

TEST_F(HashRunTest, SpecialFilesLinksAndLoopsAreSkipped) {
  set_shares({{"odd", settings::SHARE_READ}});
  const auto root = share_folder("odd");
  temp.write("shares/odd/real.txt", "real");
  ASSERT_EQ(::mkfifo((root / "pipe").c_str(), 0600), 0);
  std::filesystem::create_symlink("loop", root / "loop");
  std::filesystem::create_directory_symlink("..", root / "up");
  std::filesystem::create_directory_symlink("/", root / "everything");
  std::filesystem::create_symlink(root / "real.txt", root / "alias.txt");
  sparse(root / "big_pipe_neighbour.bin", kLarge);

  auto hash_run = run();
  std::vector<std::string> names;
  for (const Row& row : rows()) names.push_back(row.name);
  EXPECT_EQ(names, (std::vector<std::string>{"big_pipe_neighbour", "real"}));
}

TEST_F(HashRunTest, PartialDownloadsAndUnshareableNamesStayOut) {
  set_shares({{"home", settings::SHARE_READ}});
  const auto root = share_folder("home");
  settings.update([&root](settings::StoredSettings& values) { values.down_path = (root / "Download").string() + "//"; });
  temp.write("shares/home/Download/done.avi", "done");
  temp.write("shares/home/Download/_DTEMP_/[DOVEL]partial.avi", "part");
  temp.write("shares/home/pipe|name.txt", "x");
  temp.write("shares/home/smile😀.txt", "x");
  temp.write("shares/home/\xff\xfe.txt", "x");
  temp.write("shares/home/한글.txt", "x");

  run();
  std::vector<std::string> names;
  for (const Row& row : rows()) names.push_back(row.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Download", "한글", "done"}));
}

TEST_F(HashRunTest, PartialDownloadsOutsideTheirFolderStayOutToo) {
  set_shares({{"home", settings::SHARE_READ}});
  settings.update([this](settings::StoredSettings& values) { values.down_path = (share_folder("home") / "Download").string(); });
  // A folder download writes its partial files beside the finished ones.
  temp.write("shares/home/Download/Album/[DOVEL]track2.mp3", "half");
  temp.write("shares/home/Download/Album/[dovel]track3.mp3", "half");
  temp.write("shares/home/Download/Album/track1.mp3", "done");
  temp.write("shares/home/Download/_DTEMP_/stray.bin", "x");

  run();
  std::vector<std::string> names;
  for (const Row& row : rows()) names.push_back(row.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Download", "Album", "track1"}));
}

// Lists stored before nesting was refused: what a stricter share holds is
// recorded only under it, never under a share around or inside it.
TEST_F(HashRunTest, NestedStricterSharesAreWalkedOnlyAsThemselves) {
  const auto folder = [this](const char* name) { return share_folder(name).string(); };
  ASSERT_TRUE(settings.set_shared_folders({{"outer", folder("outer"), settings::SHARE_READ},
                                           {"inner", folder("outer/inner"), settings::SHARE_READ | settings::SHARE_SECRET},
                                           {"vault", folder("vault"), settings::SHARE_READ | settings::SHARE_SECRET},
                                           {"open", folder("vault/open"), settings::SHARE_READ}}));
  temp.write("shares/outer/o.txt", "o");
  temp.write("shares/outer/inner/s.txt", "s");
  temp.write("shares/vault/v.txt", "v");
  temp.write("shares/vault/open/p.txt", "p");

  run();
  std::vector<std::pair<int64_t, std::string>> recorded;
  for (const Row& row : rows()) recorded.emplace_back(row.shared_index, row.path.empty() ? row.name : row.path + "\\" + row.name);
  EXPECT_EQ(recorded, (std::vector<std::pair<int64_t, std::string>>{{0, "o"}, {1, "s"}, {2, "open"}, {2, "v"}, {2, "open\\p"}}));
}

TEST_F(HashRunTest, UnusableServerWalksNothing) {
  set_shares({{"public", settings::SHARE_READ}});
  temp.write("shares/public/a.txt", "x");
  settings.server_usable = false;
  run(1);
  EXPECT_TRUE(rows().empty());
  ASSERT_EQ(target.seen().size(), 1u);
  EXPECT_EQ(target.seen()[0].wparam, 1u);
}

TEST_F(HashRunTest, AMissingShareFolderLosesOnlyItsOwnRows) {
  set_shares({{"gone", settings::SHARE_READ}, {"here", settings::SHARE_READ}});
  temp.write("shares/gone/a.txt", "x");
  temp.write("shares/here/b.txt", "x");
  run();
  std::filesystem::remove_all(share_folder("gone"));
  run();
  ASSERT_EQ(rows().size(), 1u);
  EXPECT_EQ(rows()[0].name, "b");
}

}  // namespace
}  // namespace dovel::share
