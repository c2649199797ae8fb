#pragma once

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "download/connect_worker.h"
#include "download/download_run.h"
#include "download/download_settings.h"
#include "platform/deadline.h"
#include "platform/socket.h"
#include "service/frame.h"
#include "service/service_socket.h"
#include "share_peer.h"
#include "support/eventually.h"
#include "support/loopback_address.h"
#include "support/refusing_port.h"
#include "support/temp_folder.h"
#include "util/log_files.h"

namespace dovel::download::test {

using dovel::test::eventually;

// Bytes that differ from position to position, so that a shifted range shows.
inline std::string pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + seed * 13 + i / 251) % 256);
  return bytes;
}

// Polls the condition (at most `limit`); true as soon as it holds.
// Every file is free and every download allowed.
class FreeContent final : public PaidContent {
 public:
  std::optional<int> paid_state(const service::SessionIdentity&, const std::string&) override { return kFreeFile; }
  int check_allowance(int64_t megabytes) override {
    asked_megabytes = megabytes;
    return 1;
  }
  bool charge_paid_download(const service::SessionIdentity&, const std::string&) override { return true; }
  bool paid_download_confirmed(const std::string&) override { return true; }
  std::atomic<int64_t> asked_megabytes{0};
};

// One server of the service: reads a frame on each connection and answers it.
class FakeServiceEndpoint {
 public:
  using Answer = std::function<std::string(const service::Frame& frame)>;

  explicit FakeServiceEndpoint(Answer answer)
      : answer_(std::move(answer)), listener_(platform::make_tcp_listener(address, 0, 8)), thread_([this] { serve(); }) {}
  ~FakeServiceEndpoint() {
    stopping_ = true;
    thread_.join();
  }

  service::Endpoint endpoint() const { return {address, platform::local_port(listener_.get())}; }
  std::vector<service::Frame> frames() const {
    std::lock_guard guard(lock_);
    return frames_;
  }

  const platform::Ipv4 address = dovel::test::unique_loopback_address();

 private:
  void serve() {
    while (!stopping_) {
      if (platform::wait_readable(listener_.get(), 50) != platform::WaitResult::Ready) continue;
      platform::UniqueFd connection(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (!connection.valid()) continue;
      std::optional<service::Frame> frame = read_frame(connection.get());
      if (!frame) continue;
      {
        std::lock_guard guard(lock_);
        frames_.push_back(*frame);
      }
      const std::string answer = answer_(*frame);
      platform::send_all(connection.get(), answer.data(), answer.size());
    }
  }

  static std::optional<service::Frame> read_frame(int fd) {
    const platform::Deadline deadline = platform::Deadline::after_ms(10000);
    char start[service::kFramePlainSize];
    if (service::receive_exact(fd, start, sizeof start, 10000, deadline) != static_cast<int>(sizeof start)) return std::nullopt;
    std::optional<size_t> length = service::frame_body_length(std::string_view(start, sizeof start));
    if (!length) return std::nullopt;
    std::string body(*length, '\0');
    if (service::receive_exact(fd, body.data(), body.size(), 10000, deadline) != static_cast<int>(body.size())) return std::nullopt;
    return service::read_frame_body(body);
  }

  Answer answer_;
  std::atomic<bool> stopping_{false};
  platform::UniqueFd listener_;
  mutable std::mutex lock_;
  std::vector<service::Frame> frames_;
  std::thread thread_;
};

// A downloading client (its own share server carries the connect worker) and
// share servers on loopback addresses of their own. The service is nowhere:
// every service endpoint refuses.
class TransferFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    util::ConfigureLogFiles(client.home(), platform::system_clock());
    service::SessionRecord record;
    record.identity = {"downloader", 3, "받는이", "myTokenA", "myTokenB"};
    record.account_serial = 4711;
    record.is_adult = 1;
    client.session.set_record(record);
    client.server->set_connect_handler(handle_connect_request);
    ASSERT_TRUE(client.settings.update([](settings::StoredSettings& values) { values.use_multi_down = true; }));

    service::ServiceConfig config;
    config.host_a = config.host_b = nowhere.address;
    config.authentication_port = nowhere.port;
    config.registration_ports = config.file_index_ports = {nowhere.port, nowhere.port, nowhere.port};
    config.point_ports = config.report_ports = {nowhere.port, nowhere.port};
    config.relay_port = config.port_test_port = nowhere.port;
    config.bind_address = client.address();
    context.endpoints = config.endpoints();

    context.settings = &client_settings;
    context.session = &client.session;
    context.info = &client.databases.info;
    context.meter = &meter;
    context.connect_worker = &client.server->connect_worker();
    context.archive = &client.no_archive_check;
    context.filter = &filter;
    context.paid = &paid;
    context.hooks.notify_finished = [this](const std::string& text) {
      std::lock_guard guard(lock);
      notices.push_back(text);
    };
    context.hooks.queue_subtitle_upload = [this](const std::filesystem::path& path) {
      std::lock_guard guard(lock);
      subtitle_uploads.push_back(path);
    };
    context.hooks.connections_changed = [this](DownloadItem& item) {
      int seen = most_connections.load();
      while (item.active_connections > seen && !most_connections.compare_exchange_weak(seen, item.active_connections)) {
      }
    };
  }

  void TearDown() override {
    runner.reset();
    util::ConfigureLogFiles(client.home(), platform::system_clock());
  }

  std::filesystem::path download_folder() const { return client.temp / "down"; }
  service::Endpoint nowhere_endpoint() const { return {nowhere.address, nowhere.port}; }

  SharePeer& add_server(const std::string& user_id) {
    servers.push_back(std::make_unique<SharePeer>(dovel::test::unique_loopback_address(), user_id));
    return *servers.back();
  }

  static Source source_of(const SharePeer& server, const std::string& peer_id = "") { return {server.address(), server.port(), peer_id}; }

  std::shared_ptr<DownloadItem> make_item(const std::string& hash, const std::string& name, int64_t size, std::vector<Source> sources) {
    auto item = std::make_shared<DownloadItem>();
    item->hash = hash;
    item->file_name = name;
    item->size = size;
    item->download_folder = download_folder().string();
    item->sources = std::move(sources);
    return item;
  }

  DownloadRun& the_runner() {
    if (!runner) {
      runner = std::make_unique<DownloadRun>(context, [this](const std::shared_ptr<DownloadItem>& item) {
        std::lock_guard guard(lock);
        ended.push_back(item.get());
        run_end.notify_all();
      });
    }
    return *runner;
  }

  size_t ends_of(const DownloadItem& item) {
    std::lock_guard guard(lock);
    return static_cast<size_t>(std::count(ended.begin(), ended.end(), &item));
  }

  // Starts the item's run and waits for its end.
  void run_to_end(const std::shared_ptr<DownloadItem>& item) {
    const size_t before = ends_of(*item);
    ASSERT_TRUE(the_runner().start(item));
    wait_for_end(*item, before + 1);
  }
  void wait_for_end(const DownloadItem& item, size_t count) {
    std::unique_lock guard(lock);
    ASSERT_TRUE(run_end.wait_for(guard, std::chrono::seconds(120), [&] {
      return static_cast<size_t>(std::count(ended.begin(), ended.end(), &item)) >= count;
    }));
  }

  std::string log_text(std::string_view kind) const {
    const auto file = util::ProcessLog()->file_for(kind, platform::system_clock().local_now());
    return dovel::test::read_file(file);
  }

  dovel::test::RefusingPort nowhere;
  SharePeer client{dovel::test::unique_loopback_address(), "downloader"};
  DownloadSettings client_settings{client.settings};
  std::vector<std::unique_ptr<SharePeer>> servers;
  core::TransferMeter meter;
  NoContentFilter filter;
  FreeContent paid;
  TransferContext context;
  std::unique_ptr<DownloadRun> runner;

  std::mutex lock;
  std::condition_variable run_end;
  std::vector<const DownloadItem*> ended;
  std::vector<std::string> notices;
  std::vector<std::filesystem::path> subtitle_uploads;
  std::atomic<int> most_connections{0};
};

}  // namespace dovel::download::test
