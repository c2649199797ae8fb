// Search results into the download list: at once with their FileHash, after
// a question to their servers without one.
#include "search/result_download.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

#include "support/eventually.h"
#include "support/temp_folder.h"
#include "util/log_files.h"

namespace dovel::search {
namespace {

using dovel::test::eventually;

const std::string kHash = "0123456789abcdef0123456789abcdef";

ResultRow file_row(const std::string& hash, std::vector<std::string> sources) {
  ResultRow row;
  row.name = "note.txt";
  row.size = 3000;
  row.hash = hash;
  row.file_type = 1;
  uint16_t port = 9910;
  for (const std::string& id : sources) row.sources.push_back({id, {0x0100007F, port++}, 5, "note.txt", 1, "sub", 0});
  return row;
}

class ResultDownloadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::ConfigureLogFiles(home.path(), platform::system_clock());
    util::ProcessLog()->SetStatusSink([this](const std::string& line) {
      std::lock_guard guard(lock_);
      messages_.push_back(line);
    });
  }
  void TearDown() override { util::ProcessLog()->SetStatusSink({}); }

  ResultDownloads::Queue recording_queue() {
    return [this](const download::AddRequest& request) {
      std::lock_guard guard(lock_);
      queued_.push_back(request);
      return true;
    };
  }
  std::vector<download::AddRequest> queued() {
    std::lock_guard guard(lock_);
    return queued_;
  }
  std::vector<std::string> asked() {
    std::lock_guard guard(lock_);
    return asked_;
  }
  bool said(const std::string& text) {
    std::lock_guard guard(lock_);
    for (const std::string& line : messages_) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  // A server question that knows the hash only at `knower`.
  ResultDownloads::HashQuery ask_knowing(const std::string& knower) {
    return [this, knower](const ResultRow&, const ResultSource& source, platform::StopSignal&) -> std::optional<std::string> {
      std::lock_guard guard(lock_);
      asked_.push_back(source.responder_id);
      if (source.responder_id == knower) return kHash;
      return std::nullopt;
    };
  }

  dovel::test::TempFolder home;
  std::mutex lock_;
  std::vector<download::AddRequest> queued_;
  std::vector<std::string> asked_;
  std::vector<std::string> messages_;
};

TEST_F(ResultDownloadsTest, ARowWithItsHashIsQueuedAtOnce) {
  ResultDownloads downloads(recording_queue(), 0, ask_knowing("nobody"));
  EXPECT_TRUE(downloads.download(file_row(kHash, {"bob", "carol"})));
  ASSERT_EQ(queued().size(), 1u);
  EXPECT_EQ(queued()[0].hash, kHash);
  EXPECT_EQ(queued()[0].sources.size(), 2u);
  EXPECT_EQ(queued()[0].peer_id, "bob");
  EXPECT_TRUE(asked().empty());
}

TEST_F(ResultDownloadsTest, AFileWithoutItsHashIsQueuedOnceAServerToldIt) {
  ResultDownloads downloads(recording_queue(), 0, ask_knowing("carol"));
  EXPECT_TRUE(downloads.download(file_row("", {"bob", "carol", "dave"})));
  ASSERT_TRUE(eventually([&] { return !queued().empty(); }));
  EXPECT_EQ(queued()[0].hash, kHash);
  EXPECT_EQ(queued()[0].file_name, "note.txt");
  EXPECT_EQ(asked(), (std::vector<std::string>{"bob", "carol"})) << "asked in turn until one told it";
}

TEST_F(ResultDownloadsTest, NoServerTellingTheHashIsToldToTheUser) {
  ResultDownloads downloads(recording_queue(), 0, ask_knowing("nobody"));
  EXPECT_TRUE(downloads.download(file_row("", {"a", "b", "c", "d", "e"})));
  ASSERT_TRUE(eventually([&] { return said("'note.txt'파일의 정보를 가져오는데 실패하였습니다. 잠시후 다시 시도하세요."); }));
  EXPECT_EQ(asked().size(), ResultDownloads::kMaxAskedSources) << "a bounded number of servers is asked";
  EXPECT_TRUE(queued().empty());
}

TEST_F(ResultDownloadsTest, FoldersAndRowsWithoutServersAreNotQueued) {
  ResultDownloads downloads(recording_queue(), 0, ask_knowing("bob"));
  ResultRow folder = file_row("", {"bob"});
  folder.file_type = 0;
  EXPECT_FALSE(downloads.download(folder));
  EXPECT_FALSE(downloads.download(file_row("", {})));
  EXPECT_TRUE(asked().empty());
}

TEST_F(ResultDownloadsTest, OnlyABoundedNumberOfRowsWaitForTheirHash) {
  std::mutex gate_lock;
  bool open = false;
  std::condition_variable opened;
  ResultDownloads downloads(recording_queue(), 0, [&](const ResultRow&, const ResultSource&, platform::StopSignal&) -> std::optional<std::string> {
    std::unique_lock guard(gate_lock);
    opened.wait(guard, [&] { return open; });
    return kHash;
  });
  for (int i = 0; i < ResultDownloads::kMaxWaiting; ++i) EXPECT_TRUE(downloads.download(file_row("", {"bob"}))) << i;
  EXPECT_FALSE(downloads.download(file_row("", {"bob"})));
  EXPECT_TRUE(said("'note.txt'파일의 정보를 가져오는데 실패하였습니다."));
  {
    std::lock_guard guard(gate_lock);
    open = true;
  }
  opened.notify_all();
  EXPECT_TRUE(eventually([&] { return queued().size() == static_cast<size_t>(ResultDownloads::kMaxWaiting); }));
}

}  // namespace
}  // namespace dovel::search
