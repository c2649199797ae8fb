#include "util/log_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <string>
#include <vector>

#include "support/fake_clock.h"
#include "support/temp_folder.h"

namespace dovel::util {
namespace {

class LogFilesTest : public ::testing::Test {
 protected:
  test::TempFolder folder;
  test::FakeClock clock;
  LogFiles log{folder.path(), clock};
};

TEST_F(LogFilesTest, LinesAroundMidnightGoToTwoDatedFiles) {
  clock.set_local_now({2026, 12, 31, 23, 59, 59});
  ASSERT_TRUE(log.WriteLog(kDownloadLog, "[일반] 첫째", kDownloadLogHeader));
  clock.set_local_now({2027, 1, 1, 0, 0, 1});
  ASSERT_TRUE(log.WriteLog(kDownloadLog, "[일반] 둘째", kDownloadLogHeader));

  EXPECT_EQ(test::read_file(folder / "Log/Download/2026-12-31.txt"), std::string(kDownloadLogHeader) + "23:59:59  [일반] 첫째\r\n");
  EXPECT_EQ(test::read_file(folder / "Log/Download/2027-01-01.txt"), std::string(kDownloadLogHeader) + "00:00:01  [일반] 둘째\r\n");
}

TEST_F(LogFilesTest, HeaderIsWrittenOnlyWhenTheFileIsCreated) {
  clock.set_local_now({2026, 3, 4, 5, 6, 7});
  ASSERT_TRUE(log.WriteLog("\\Upload\\", "one", kUploadLogHeader));
  ASSERT_TRUE(log.WriteLog(kUploadLog, "two", kUploadLogHeader));
  EXPECT_EQ(test::read_file(folder / "Log/Upload/2026-03-04.txt"), std::string(kUploadLogHeader) + "05:06:07  one\r\n05:06:07  two\r\n");
}

TEST_F(LogFilesTest, KindsThatLeaveTheLogFolderAreRefused) {
  for (const char* kind : {"", "..", "a/b", "a\\b", "\\\\"}) EXPECT_FALSE(log.WriteLog(kind, "x", "")) << kind;
}

TEST_F(LogFilesTest, SystemLinesReachTheStatusViewAndTheSystemFile) {
  std::vector<std::string> shown;
  log.SetStatusSink([&shown](const std::string& text) { shown.push_back(text); });
  clock.set_local_now({2026, 12, 10, 9, 8, 7});
  log.LogSystemText("공유서버가 시작되었습니다.");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "\r\n[12.10 09:08:07] 공유서버가 시작되었습니다. ");
  EXPECT_EQ(test::read_file(folder / "Log/System/2026-12-10.txt"), "09:08:07  공유서버가 시작되었습니다.\r\n");
}

TEST_F(LogFilesTest, ConcurrentWritersNeverInterleaveALine) {
  clock.set_local_now({2026, 1, 2, 3, 4, 5});
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([this, t] {
      for (int i = 0; i < 200; ++i) log.WriteLog(kSystemLog, std::string(50, static_cast<char>('a' + t)), "");
    });
  }
  for (auto& writer : writers) writer.join();
  std::istringstream lines(test::read_file(folder / "Log/System/2026-01-02.txt"));
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ASSERT_EQ(line.size(), 10u + 50u + 1u) << line;  // time, two blanks, text, CR
    EXPECT_EQ(line.substr(10, 50), std::string(50, line[10]));
    ++count;
  }
  EXPECT_EQ(count, 800);
}

}  // namespace
}  // namespace dovel::util
