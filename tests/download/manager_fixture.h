#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/local_databases.h"
#include "db/sqlite2_connection.h"
#include "download/download_manager.h"
#include "download/queue_host.h"
#include "download/transfer_runner.h"
#include "support/eventually.h"
#include "support/fake_clock.h"
#include "support/temp_folder.h"
#include "util/log_files.h"

namespace dovel::download::test {

using dovel::test::eventually;

// Polls the condition (at most `limit`); true as soon as it holds.
// A runner without threads: it records what it is asked; the test ends runs by
// hand through the manager, as a real run would.
class FakeRunner final : public TransferRunner {
 public:
  bool start(const std::shared_ptr<DownloadItem>& item) override {
    std::lock_guard guard(lock_);
    started_.push_back(item->hash);
    running_.push_back(item);
    return start_succeeds;
  }
  void cancel(DownloadItem& item) override {
    std::lock_guard guard(lock_);
    cancelled_.push_back(item.hash);
  }
  bool can_connect() const override { return connect_worker; }
  void stop_all() override { ++stop_all_calls; }

  std::vector<std::string> started() const {
    std::lock_guard guard(lock_);
    return started_;
  }
  std::vector<std::string> cancelled() const {
    std::lock_guard guard(lock_);
    return cancelled_;
  }
  std::shared_ptr<DownloadItem> last_started() const {
    std::lock_guard guard(lock_);
    return running_.empty() ? nullptr : running_.back();
  }
  std::shared_ptr<DownloadItem> started_item(const std::string& hash) const {
    std::lock_guard guard(lock_);
    for (const auto& item : running_) {
      if (item->hash == hash) return item;
    }
    return nullptr;
  }

  bool start_succeeds = true;
  bool connect_worker = true;
  std::atomic<int> stop_all_calls{0};

 private:
  mutable std::mutex lock_;
  std::vector<std::string> started_;
  std::vector<std::string> cancelled_;
  std::vector<std::shared_ptr<DownloadItem>> running_;
};

class FakeHost final : public QueueHost {
 public:
  std::string download_folder() const override { return folder; }
  int simultaneous_limit_setting() const override { return limit; }
  bool service_ready() override {
    ++service_checks;
    return logged_in;
  }
  bool retry_allowed() const override { return retry; }
  void show_downloads() override { ++shown; }

  std::string folder;
  std::atomic<int> limit{1};
  bool logged_in = true;
  bool retry = true;
  int service_checks = 0;
  int shown = 0;
};

// A real info database in a temporary folder, the fakes, and the system
// messages as they are written.
class ManagerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(app::open_local_databases(home.path(), databases));
    download_folder = home / "Download";
    std::filesystem::create_directories(download_folder);
    host.folder = download_folder.string();
    util::ConfigureLogFiles(home.path(), clock);
    util::ProcessLog()->SetStatusSink([this](const std::string& line) {
      std::lock_guard guard(messages_lock_);
      messages_.push_back(line);
    });
    manager = std::make_unique<DownloadManager>(info(), runner, host, clock);
  }

  void TearDown() override {
    manager.reset();
    util::ProcessLog()->SetStatusSink({});
  }

  db::InfoDatabase& info() { return databases.info; }

  // Whether a system message holding `text` was written.
  bool said(const std::string& text) const {
    std::lock_guard guard(messages_lock_);
    for (const std::string& line : messages_) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }
  size_t message_count() const {
    std::lock_guard guard(messages_lock_);
    return messages_.size();
  }

  // How many rows the table holds for the hash.
  int rows_of(const std::string& table, const std::string& hash) {
    db::Sqlite2Statement count = info().connection().Prepare("Select count(*) From [" + table + "] Where [hash]=?");
    count.Bind(0, hash);
    return std::stoi(count.Query().Text(0));
  }

  std::filesystem::path temporary_file(const std::string& name) const { return download_folder / "_DTEMP_" / ("[DOVEL]" + name); }

  dovel::test::TempFolder home;
  dovel::test::FakeClock clock;
  app::LocalDatabases databases;
  std::filesystem::path download_folder;
  FakeRunner runner;
  FakeHost host;
  std::unique_ptr<DownloadManager> manager;

 private:
  mutable std::mutex messages_lock_;
  std::vector<std::string> messages_;
};

}  // namespace dovel::download::test
