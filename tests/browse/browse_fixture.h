#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "browse/remote_browser.h"

namespace dovel::browse::test_support {

using namespace std::chrono_literals;

// Waits without fixed sleeps: long enough for a loaded machine.
inline constexpr std::chrono::milliseconds kWait = 30s;

// The download manager as far as the browser sees it: keeps every request.
class RecordingAdder final : public DownloadAdder {
 public:
  bool add(const DownloadRequest& request) override {
    std::lock_guard guard(lock_);
    requests_.push_back(request);
    arrived_.notify_all();
    return accept;
  }
  bool wait_for(size_t count) {
    std::unique_lock guard(lock_);
    return arrived_.wait_for(guard, kWait, [&] { return requests_.size() >= count; });
  }
  std::vector<DownloadRequest> requests() const {
    std::lock_guard guard(lock_);
    return requests_;
  }
  bool accept = true;

 private:
  mutable std::mutex lock_;
  std::condition_variable arrived_;
  std::vector<DownloadRequest> requests_;
};

class RecordingFolderSink final : public FolderListSink {
 public:
  void folder_list_arrived(std::string_view wire_body) override {
    std::lock_guard guard(lock_);
    lists_.emplace_back(wire_body);
    arrived_.notify_all();
  }
  bool wait_for(size_t count) {
    std::unique_lock guard(lock_);
    return arrived_.wait_for(guard, kWait, [&] { return lists_.size() >= count; });
  }
  std::vector<std::string> lists() const {
    std::lock_guard guard(lock_);
    return lists_;
  }

 private:
  mutable std::mutex lock_;
  std::condition_variable arrived_;
  std::vector<std::string> lists_;
};

// A front that answers the password prompt and records what it was asked.
class ScriptedFront final : public BrowserFront {
 public:
  void show_browse_tab() override { record("browse tab"); }
  void show_download_tab() override { record("download tab"); }
  void show_origin_tab(int origin) override { record("origin tab " + std::to_string(origin)); }
  void tell(const std::string& text) override { record("box " + text); }
  std::optional<std::string> ask_folder_password() override {
    record("password?");
    return password;
  }
  std::vector<std::string> calls() const {
    std::lock_guard guard(lock_);
    return calls_;
  }
  std::optional<std::string> password;

 private:
  void record(const std::string& call) {
    std::lock_guard guard(lock_);
    calls_.push_back(call);
  }
  mutable std::mutex lock_;
  std::vector<std::string> calls_;
};

inline std::vector<std::string> names_of(const BrowserSnapshot& snapshot) {
  std::vector<std::string> names;
  for (const ListingRow& row : snapshot.rows) names.push_back(row.name);
  return names;
}

inline bool has_message(const BrowserSnapshot& snapshot, const std::string& text) {
  for (const std::string& message : snapshot.messages) {
    if (message == text) return true;
  }
  return false;
}

// Runs a browser command and waits for what answers it.
template <typename Command>
ListingWait answer_of(RemoteBrowser& browser, Command command) {
  const ListingMark mark = browser.mark();
  command();
  return browser.wait_for_listing(mark, kWait);
}

}  // namespace dovel::browse::test_support
