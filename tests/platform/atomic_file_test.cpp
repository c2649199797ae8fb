#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace dovel::platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> names_in(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(AtomicFile, ReplacesTheContentsAndLeavesNoTemporaryFiles) {
  test::TempFolder temp;
  const fs::path file = temp / "settings.txt";
  ASSERT_TRUE(write_file_atomically(file, "first version, quite long"));
  EXPECT_EQ(read_whole_file(file, 1000), "first version, quite long");
  ASSERT_TRUE(write_file_atomically(file, "second"));
  EXPECT_EQ(read_whole_file(file, 1000), "second");
  ASSERT_TRUE(write_file_atomically(file, ""));
  EXPECT_EQ(read_whole_file(file, 1000), "");

  std::string big(3 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i % 251);
  ASSERT_TRUE(write_file_atomically(file, big));
  EXPECT_EQ(read_whole_file(file, big.size()), big);

  EXPECT_EQ(names_in(temp.path()), std::vector<std::string>{"settings.txt"});
}

TEST(AtomicFile, AFailedWriteLeavesTheFolderAsItWas) {
  test::TempFolder temp;
  // The target is a folder: the rename fails after the temporary file was written.
  fs::create_directories(temp / "target" / "inside");
  EXPECT_FALSE(write_file_atomically(temp / "target", "x"));
  EXPECT_TRUE(fs::is_directory(temp / "target" / "inside"));
  EXPECT_EQ(names_in(temp.path()), std::vector<std::string>{"target"});

  // The folder does not exist.
  EXPECT_FALSE(write_file_atomically(temp / "missing" / "file", "x"));
  EXPECT_FALSE(fs::exists(temp / "missing"));
}

TEST(AtomicFile, AReaderSeesTheOldOrTheNewFileNeverAMix) {
  test::TempFolder temp;
  const fs::path file = temp / "f";
  const std::string old_text(200000, 'o');
  const std::string new_text(100000, 'n');
  ASSERT_TRUE(write_file_atomically(file, old_text));
  // A reader holding the old file keeps reading the old contents.
  int fd = ::open(file.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(write_file_atomically(file, new_text));
  std::string held(old_text.size() + 10, '\0');
  EXPECT_EQ(::pread(fd, held.data(), held.size(), 0), static_cast<ssize_t>(old_text.size()));
  held.resize(old_text.size());
  EXPECT_EQ(held, old_text);
  ::close(fd);
  EXPECT_EQ(read_whole_file(file, 1 << 20), new_text);
}

TEST(ReadWholeFile, RefusesFilesAboveTheLimitAndSpecialFiles) {
  test::TempFolder temp;
  const fs::path ten = temp.write("ten", "0123456789");
  const fs::path empty = temp.write("empty", "");
  EXPECT_EQ(read_whole_file(ten, 10), "0123456789");
  EXPECT_EQ(read_whole_file(ten, 9), std::nullopt);
  EXPECT_EQ(read_whole_file(empty, 0), "");
  EXPECT_EQ(read_whole_file(temp / "missing", 100), std::nullopt);
  EXPECT_EQ(read_whole_file(temp.path(), 100), std::nullopt) << "a folder";
  EXPECT_EQ(read_whole_file("/dev/zero", 100), std::nullopt) << "a device that never ends";
  // A /proc file says it is empty but has more to read than allowed.
  EXPECT_EQ(read_whole_file("/proc/self/status", 10), std::nullopt);
  ASSERT_TRUE(read_whole_file("/proc/self/status", 1 << 20));

  const fs::path fifo = temp / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto read = std::async(std::launch::async, [&] { return read_whole_file(fifo, 100); });
  if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // It blocked in open: a writer releases it, so the test fails instead of hanging.
    int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    read.wait();
    if (writer >= 0) ::close(writer);
    ADD_FAILURE() << "reading a FIFO blocked";
  }
  EXPECT_EQ(read.get(), std::nullopt);
}

TEST(FileLock, ExcludesOtherHoldersUntilReleased) {
  test::TempFolder temp;
  const fs::path lock_path = temp / "x.lock";
  auto can_lock_now = [&] {
    int fd = ::open(lock_path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
  };
  {
    FileLock lock(lock_path);
    ASSERT_TRUE(lock.locked());
    EXPECT_FALSE(can_lock_now()) << "held, even against another descriptor in this process";
  }
  EXPECT_TRUE(can_lock_now());

  FileLock nowhere(temp / "missing" / "x.lock");
  EXPECT_FALSE(nowhere.locked());
}

}  // namespace
}  // namespace dovel::platform
