#include "platform/registry_store.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "support/temp_folder.h"

namespace dovel::platform {
namespace {

namespace fs = std::filesystem;

class RegistryStoreTest : public ::testing::Test {
 protected:
  test::TempFolder temp_;
  fs::path folder_ = temp_ / "config";
};

TEST_F(RegistryStoreTest, ValuesPersistAcrossInstances) {
  {
    RegistryStore store(folder_);
    EXPECT_FALSE(store.key_exists(Hive::CurrentUser, "Software\\Dovel"));
    ASSERT_TRUE(store.write_string(Hive::CurrentUser, "Software\\Dovel", "UserID", "사용자"));
    ASSERT_TRUE(store.write_dword(Hive::CurrentUser, "Software\\Dovel", "Port", 6699));
    ASSERT_TRUE(store.write_string(Hive::LocalMachine, "Software\\Dovel", "InstallPath", "/opt/dovel"));
  }
  RegistryStore store(folder_);
  EXPECT_TRUE(store.key_exists(Hive::CurrentUser, "SOFTWARE"));
  EXPECT_EQ(store.read_string(Hive::CurrentUser, "software\\dovel", "userid"), "사용자");
  EXPECT_EQ(store.read_dword(Hive::CurrentUser, "Software\\Dovel", "Port"), 6699u);
  // Reading with the other type finds nothing rather than converting.
  EXPECT_EQ(store.read_string(Hive::CurrentUser, "Software\\Dovel", "Port"), std::nullopt);
  EXPECT_EQ(store.read_dword(Hive::CurrentUser, "Software\\Dovel", "UserID"), std::nullopt);
  // Hives are separate files.
  EXPECT_EQ(store.read_string(Hive::CurrentUser, "Software\\Dovel", "InstallPath"), std::nullopt);
  EXPECT_EQ(store.read_string(Hive::LocalMachine, "Software\\Dovel", "InstallPath"), "/opt/dovel");
  EXPECT_FALSE(store.key_exists(Hive::ClassesRoot, "Software"));
  EXPECT_NE(store.file_of(Hive::CurrentUser), store.file_of(Hive::LocalMachine));
  EXPECT_TRUE(fs::is_regular_file(store.file_of(Hive::CurrentUser)));
  EXPECT_FALSE(fs::exists(store.file_of(Hive::ClassesRoot)));
}

TEST_F(RegistryStoreTest, DeleteReportsWhetherSomethingExisted) {
  RegistryStore store(folder_);
  ASSERT_TRUE(store.write_dword(Hive::CurrentUser, "A\\B", "v", 1));
  ASSERT_TRUE(store.write_dword(Hive::CurrentUser, "A\\BC", "v", 2));
  EXPECT_TRUE(store.delete_value(Hive::CurrentUser, "a\\b", "V"));
  EXPECT_FALSE(store.delete_value(Hive::CurrentUser, "A\\B", "v"));
  EXPECT_TRUE(store.delete_key(Hive::CurrentUser, "A\\B"));
  EXPECT_FALSE(store.delete_key(Hive::CurrentUser, "A\\B"));
  EXPECT_EQ(RegistryStore(folder_).read_dword(Hive::CurrentUser, "A\\BC", "v"), 2u);
}

TEST_F(RegistryStoreTest, AnEditIsWrittenOnceWhenItEnds) {
  RegistryStore writer(folder_);
  RegistryStore reader(folder_);
  ASSERT_TRUE(writer.write_dword(Hive::CurrentUser, "Shares\\Old", "Count", 1));
  ASSERT_TRUE(writer.write_string(Hive::CurrentUser, "Shares\\Old", "Path", "/old"));
  const fs::path file = writer.file_of(Hive::CurrentUser);
  const std::string before = *read_whole_file(file, 1 << 20);

  bool file_untouched_during_edit = false;
  ASSERT_TRUE(writer.edit(Hive::CurrentUser, [&](RegistryHive& hive) {
    hive.delete_key("Shares");
    hive.set_value("Shares\\New", "Count", uint32_t{2});
    hive.set_value("Shares\\New", "Path", std::string("/new"));
    // Nothing reaches the disk until the whole batch is done.
    file_untouched_during_edit = read_whole_file(file, 1 << 20) == before && reader.key_exists(Hive::CurrentUser, "Shares\\Old");
  }));
  EXPECT_TRUE(file_untouched_during_edit);

  EXPECT_FALSE(reader.key_exists(Hive::CurrentUser, "Shares\\Old"));
  EXPECT_EQ(reader.read_dword(Hive::CurrentUser, "Shares\\New", "Count"), 2u);
  EXPECT_EQ(reader.read_string(Hive::CurrentUser, "Shares\\New", "Path"), "/new");
  // Only the hive file and the lock file: no temporary file is left behind.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{file.filename().string(), "registry.lock"}));
}

TEST_F(RegistryStoreTest, TwoStoresOnOneFolderSeeEachOthersWrites) {
  RegistryStore first(folder_);
  RegistryStore second(folder_);
  // Many rounds of same-sized rewrites: each store must notice every write of the
  // other, even when the file keeps its size and the clock has not moved on.
  for (uint32_t round = 0; round < 200; ++round) {
    ASSERT_TRUE(first.write_dword(Hive::CurrentUser, "K", "a", round));
    ASSERT_EQ(second.read_dword(Hive::CurrentUser, "K", "a"), round) << "round " << round;
    ASSERT_TRUE(second.write_dword(Hive::CurrentUser, "K", "b", round));
    ASSERT_EQ(first.read_dword(Hive::CurrentUser, "K", "b"), round) << "round " << round;
    ASSERT_EQ(first.read_dword(Hive::CurrentUser, "K", "a"), round) << "round " << round;
  }
}

// File systems with coarse time stamps (a kernel tick, or whole seconds) give
// rewrites close together the same modification time, and a replaced file may get
// the inode number that was freed by the replacement before it (ext4 alternates
// between two). Pinning the time stamp after every write reproduces that.
TEST_F(RegistryStoreTest, RewritesWithinOneTimeStampTickAreNotMissed) {
  RegistryStore writer(folder_);
  RegistryStore reader(folder_);
  const fs::path file = writer.file_of(Hive::CurrentUser);
  auto write_pinned = [&](RegistryStore& store, const char* name, uint32_t value) {
    ASSERT_TRUE(store.write_dword(Hive::CurrentUser, "K", name, value));
    const timespec pinned[2] = {{1'700'000'000, 0}, {1'700'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), pinned, 0), 0);
  };
  for (uint32_t round = 0; round < 20; ++round) {
    // Two rewrites of the same size between two reads of the other store.
    write_pinned(writer, "a", 2 * round);
    write_pinned(writer, "a", 2 * round + 1);
    ASSERT_EQ(reader.read_dword(Hive::CurrentUser, "K", "a"), 2 * round + 1) << "round " << round;
  }
  // An edit starts from what is on disk, not from what this store read before.
  write_pinned(writer, "b", 1);
  ASSERT_EQ(reader.read_dword(Hive::CurrentUser, "K", "b"), 1u);
  write_pinned(writer, "b", 2);
  write_pinned(writer, "b", 3);
  write_pinned(reader, "c", 1);
  EXPECT_EQ(RegistryStore(folder_).read_dword(Hive::CurrentUser, "K", "b"), 3u) << "lost by the other store's edit";
}

TEST_F(RegistryStoreTest, AFileThatCannotBeReadMakesEditsFailWithoutLosingIt) {
  RegistryStore store(folder_);
  ASSERT_TRUE(store.write_dword(Hive::LocalMachine, "K", "v", 1));
  // A folder where the current-user hive file should be.
  const fs::path in_the_way = store.file_of(Hive::CurrentUser);
  fs::create_directories(in_the_way);
  std::ofstream(in_the_way / "keep.txt") << "precious";

  EXPECT_FALSE(store.write_dword(Hive::CurrentUser, "K", "v", 2));
  bool change_ran = false;
  EXPECT_FALSE(store.edit(Hive::CurrentUser, [&](RegistryHive&) { change_ran = true; }));
  EXPECT_FALSE(change_ran);
  EXPECT_FALSE(store.delete_key(Hive::CurrentUser, "K"));
  EXPECT_EQ(store.read_dword(Hive::CurrentUser, "K", "v"), std::nullopt);

  EXPECT_TRUE(fs::is_directory(in_the_way));
  EXPECT_EQ(read_whole_file(in_the_way / "keep.txt", 100), "precious");
  // The other hives are not affected.
  EXPECT_EQ(store.read_dword(Hive::LocalMachine, "K", "v"), 1u);
  EXPECT_TRUE(store.write_dword(Hive::LocalMachine, "K", "v", 3));
  EXPECT_EQ(RegistryStore(folder_).read_dword(Hive::LocalMachine, "K", "v"), 3u);
}

TEST_F(RegistryStoreTest, AFolderThatCannotBeMadeMakesWritesFail) {
  const fs::path file_in_the_way = temp_.write("plain-file", "x");
  RegistryStore store(file_in_the_way / "config");
  EXPECT_FALSE(store.write_dword(Hive::CurrentUser, "K", "v", 1));
  EXPECT_EQ(store.read_dword(Hive::CurrentUser, "K", "v"), std::nullopt);
}

TEST_F(RegistryStoreTest, AHandEditedFileIsReadWithItsCorruptLinesSkipped) {
  fs::create_directories(folder_);
  RegistryStore store(folder_);
  std::ofstream(store.file_of(Hive::CurrentUser)) << "[\"K\"]\n\"good\"=dword:00000005\nnonsense\n\"text\"=\"t\"\n";
  EXPECT_EQ(store.read_dword(Hive::CurrentUser, "K", "good"), 5u);
  ASSERT_TRUE(store.write_dword(Hive::CurrentUser, "K", "more", 6));
  EXPECT_EQ(store.read_string(Hive::CurrentUser, "K", "text"), "t");
  EXPECT_EQ(store.read_dword(Hive::CurrentUser, "K", "good"), 5u);
}

// Each thread counts its own value up by read-modify-write; none of the increments
// may be lost, whether the threads share one store or each has its own (as
// separate processes on one data home would).
class RegistryStoreConcurrency : public RegistryStoreTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RegistryStoreConcurrency, NoIncrementIsLost) {
  const bool shared_store = GetParam();
  constexpr int kThreads = 4;
  constexpr uint32_t kIncrements = 40;
  RegistryStore shared(folder_);
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::optional<RegistryStore> own;
      if (!shared_store) own.emplace(folder_);
      RegistryStore& store = shared_store ? shared : *own;
      const std::string name = "counter" + std::to_string(t);
      for (uint32_t i = 0; i < kIncrements; ++i) {
        bool ok = store.edit(Hive::CurrentUser, [&](RegistryHive& hive) {
          const RegistryValue* current = hive.find_value("Counters", name);
          uint32_t value = current == nullptr ? 0 : std::get<uint32_t>(*current);
          hive.set_value("Counters", name, value + 1);
        });
        if (!ok) ++failures[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  RegistryStore fresh(folder_);
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(failures[t], 0) << t;
    EXPECT_EQ(fresh.read_dword(Hive::CurrentUser, "Counters", "counter" + std::to_string(t)), kIncrements) << t;
  }
}

INSTANTIATE_TEST_SUITE_P(SharedOrSeparateStores, RegistryStoreConcurrency, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "OneStore" : "StorePerThread"; });

}  // namespace
}  // namespace dovel::platform
