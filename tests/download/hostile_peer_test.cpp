// Peers that do not play by the rules, and names that try to leave the
// download folder.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "service/frame.h"
#include "service/report_messages.h"
#include "download/item_run.h"
#include "share/file_hash.h"
#include "support/fake_clock.h"
#include "support/scripted_peer.h"
#include "transfer_fixture.h"
#include "wire/connection_kind.h"
#include "wire/data_reply.h"
#include "wire/data_request.h"
#include "wire/info_block.h"
#include "wire/peer_socket.h"

namespace dovel::download::test {
namespace {

namespace fs = std::filesystem;

// A data server that answers every request its own way.
class FakeDataServer {
 public:
  using Behaviour = std::function<void(int socket, const wire::DataRequest& request)>;

  explicit FakeDataServer(Behaviour behaviour) : behaviour_(std::move(behaviour)), peer_([this](int connection) { serve(connection); }) {}

  Source source() const { return {peer_.address(), peer_.port(), ""}; }

 private:
  void serve(int connection) {
    if (dovel::test::read_exactly(connection, 1) != std::string(1, static_cast<char>(wire::kDataKind))) return;
    if (!dovel::test::send_text(connection, std::string("\x01\x00", 2))) return;
    std::optional<std::string> frame = wire::read_client_frame(connection, wire::kMaxDataRequestLength, 5000, 5000);
    if (!frame) return;
    if (std::optional<wire::DataRequest> request = wire::parse_data_request(*frame)) behaviour_(connection, *request);
  }

  const Behaviour behaviour_;
  dovel::test::ScriptedPeer peer_;  // last: its threads end before the rest goes
};

void send(int socket, std::string_view bytes) { platform::send_all(socket, bytes.data(), bytes.size()); }

std::string accepted_head(const wire::DataRequest& request) {
  return wire::build_data_reply(wire::kRequestAccepted, false, settings::SHARE_READ) +
         *wire::build_info_block({"hostile", "tokA", "tokB", 5, 0, "", request.hash});
}

// Waits until the client is gone, so that the client's end is what ends the
// exchange. Its patience outlasts any stepping of the run's clock by far: a
// client that never gives up ends with "closed by the peer" instead.
void wait_for_close(int socket) {
  char byte;
  while (platform::receive_some(socket, &byte, 1, 30000) > 0) {
  }
}

class HostilePeerTest : public TransferFixture {
 protected:
  void SetUp() override {
    TransferFixture::SetUp();
    // The connections' deadlines run on this clock: only the test's steps let them pass.
    context.clock = &clock;
    content = pattern(300000, 9);
    hash = share::sampled_md5_of_file(client.temp.write("original.bin", content)).value();
  }

  // Runs the item, moving its clock on until the run ends.
  void run_to_end_stepping_clock(const std::shared_ptr<DownloadItem>& item) {
    const size_t before = ends_of(*item);
    ASSERT_TRUE(the_runner().start(item));
    ASSERT_TRUE(eventually([&] {
      if (ends_of(*item) > before) return true;
      clock.advance_ms(1000);
      return false;
    }));
  }

  dovel::test::FakeClock clock;
  std::string content;
  std::string hash;
};

TEST_F(HostilePeerTest, WhatEachPeerDoesEndsTheItemWithItsStatus) {
  struct Case {
    const char* name;
    FakeDataServer::Behaviour behaviour;
    ItemState state;
    int status;
    bool silent = false;  // the peer falls silent: only a deadline ends the connection
  };
  const std::string& good = content;
  const Case cases[] = {
      {"refuses with a status", [](int s, const wire::DataRequest&) { send(s, wire::build_data_reply(35, false, 0)); },
       ItemState::Stopped, 35},
      {"says nothing after the request", [](int s, const wire::DataRequest&) { wait_for_close(s); }, ItemState::Stopped, 15, true},
      {"sends no information block", [](int s, const wire::DataRequest&) {
         send(s, wire::build_data_reply(wire::kRequestAccepted, false, 0));
         wait_for_close(s);
       },
       ItemState::Stopped, 15, true},
      {"sends a block of another version", [](int s, const wire::DataRequest&) {
         send(s, wire::build_data_reply(wire::kRequestAccepted, false, 0) + std::string(wire::kInfoBlockSize, 'z'));
         wait_for_close(s);
       },
       ItemState::Stopped, 37},
      {"closes in the middle", [&good](int s, const wire::DataRequest& r) {
         send(s, accepted_head(r) + good.substr(static_cast<size_t>(r.start), 1000));
       },
       ItemState::Stopped, 12},
      {"sends more than was asked", [&good](int s, const wire::DataRequest& r) {
         send(s, accepted_head(r) + good.substr(static_cast<size_t>(r.start)) + std::string(5000, 'x'));
         wait_for_close(s);
       },
       ItemState::Finished, 0},
  };
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDataServer peer(c.behaviour);
    const std::string name = "case" + std::to_string(run++) + ".bin";
    auto item = make_item(hash, name, static_cast<int64_t>(content.size()), {peer.source()});
    if (c.silent) {
      run_to_end_stepping_clock(item);
    } else {
      run_to_end(item);
    }
    EXPECT_EQ(item->current_state(), c.state);
    EXPECT_EQ(item->status_code, c.status);
    if (c.state == ItemState::Finished) {
      EXPECT_EQ(dovel::test::read_file(download_folder() / name), content);
    }
    EXPECT_EQ(client.databases.info.nesting(), 0);
  }
}

// Each wait of a connection counts on the run's clock from when its phase
// began, and ends the connection once it has passed in full, not before.
TEST_F(HostilePeerTest, EachWaitOfAConnectionEndsItOnceItHasPassedInFull) {
  context.timings.reply_ms = 7000;
  context.timings.info_block_ms = 9000;
  context.timings.data_idle_ms = 120000;
  constexpr int kFolderFlags = settings::SHARE_READ;
  struct Case {
    const char* phase;
    int wait_ms;
    FakeDataServer::Behaviour behaviour;                // what the peer sends before it falls silent
    std::function<bool(DownloadItem& item)> taken_in;  // the run has taken that in
  };
  std::atomic<bool> asked{false};
  const std::string& good = content;
  const Case cases[] = {
      {"the reply", 7000,
       [&asked](int s, const wire::DataRequest&) {
         asked = true;
         wait_for_close(s);
       },
       [&asked](DownloadItem&) { return asked.load(); }},
      {"the information block", 9000,
       [](int s, const wire::DataRequest&) {
         send(s, wire::build_data_reply(wire::kRequestAccepted, false, kFolderFlags));
         wait_for_close(s);
       },
       [](DownloadItem& item) {
         std::lock_guard guard(item.lock);
         return item.listing_attributes == kFolderFlags;
       }},
      {"more data", 120000,
       [&good](int s, const wire::DataRequest& r) {
         send(s, accepted_head(r) + good.substr(static_cast<size_t>(r.start), 1000));
         wait_for_close(s);
       },
       [](DownloadItem& item) {
         std::lock_guard guard(item.lock);
         return item.received == 1000;
       }},
  };
  int run = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phase);
    FakeDataServer peer(c.behaviour);
    auto item = make_item(hash, "wait" + std::to_string(run++) + ".bin", static_cast<int64_t>(content.size()), {peer.source()});
    const size_t ended_before = ends_of(*item);  // an item of an earlier case may have had its address
    ASSERT_TRUE(the_runner().start(item));
    ASSERT_TRUE(eventually([&] { return c.taken_in(*item); }));
    // The wait began at the reading that follows, on the clock as it stands.
    ASSERT_TRUE(clock.read_again(2));
    clock.advance_ms(static_cast<platform::Tick>(c.wait_ms - 1));
    // Enough readings for a whole turn of the run's loop to have looked at the deadlines since.
    ASSERT_TRUE(clock.read_again(6));
    EXPECT_EQ(item->active_connections, 1) << "a millisecond is left";
    EXPECT_EQ(ends_of(*item), ended_before);
    clock.advance_ms(1);
    wait_for_end(*item, ended_before + 1);
    EXPECT_EQ(item->current_state(), ItemState::Stopped);
    EXPECT_EQ(item->status_code, kStatusDropped);
  }
}

TEST_F(HostilePeerTest, BytesThatAreNotTheFileAreNeverMovedIntoPlace) {
  FakeDataServer liar([](int s, const wire::DataRequest& r) {
    send(s, accepted_head(r) + pattern(static_cast<size_t>(r.end - r.start), 77));
    wait_for_close(s);
  });
  auto item = make_item(hash, "fake.bin", static_cast<int64_t>(content.size()), {liar.source()});
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Stopped);
  EXPECT_EQ(item->status_code, 5);
  EXPECT_FALSE(fs::exists(download_folder() / "fake.bin"));
  EXPECT_EQ(item->received, 0);
  EXPECT_NE(log_text(util::kSystemLog).find("'fake.bin' 파일의 내용이 FileHash와 다릅니다. 다운로드를 중지합니다."), std::string::npos);
  // The next run starts from nothing.
  EXPECT_EQ(load_ranges(client.databases.info, hash), (std::vector<ByteRange>{{0, static_cast<int64_t>(content.size())}}));
  std::lock_guard guard(lock);
  EXPECT_TRUE(notices.empty());
}

// Each run whose bytes are not the file excludes the servers that sent them;
// after a few such runs, from whichever servers, the item is stopped for good.
TEST_F(HostilePeerTest, WrongContentExcludesItsServerAndStopsTheItemForGoodAfterAFewRuns) {
  std::atomic<int> requests{0};
  auto lie = [&requests](int s, const wire::DataRequest& r) {
    ++requests;
    send(s, accepted_head(r) + pattern(static_cast<size_t>(r.end - r.start), 77));
    wait_for_close(s);
  };
  FakeDataServer first(lie), second(lie), third(lie);
  auto item = make_item(hash, "fake.bin", static_cast<int64_t>(content.size()), {first.source()});
  const Source liars[] = {first.source(), second.source(), third.source()};
  for (int run = 0; run < kMostContentMismatches; ++run) {
    SCOPED_TRACE(run);
    if (run > 0) {
      std::lock_guard guard(item->lock);
      item->sources.push_back(liars[run]);
    }
    run_to_end(item);
    EXPECT_EQ(item->current_state(), ItemState::Stopped);
    EXPECT_EQ(item->status_code, kStatusFileInfoError);
    EXPECT_EQ(item->retry_barred.load(), run + 1 == kMostContentMismatches);
    std::lock_guard guard(item->lock);
    EXPECT_TRUE(item->sources.empty()) << "the server that sent other bytes is no source any more";
  }
  EXPECT_NE(log_text(util::kSystemLog).find("'fake.bin' 파일은 3번 받은 내용이 모두 FileHash와 달라 더 이상 자동으로 재시도하지 않습니다."),
            std::string::npos);
  // Named again (as the file index may), an excluded server is not asked.
  const int asked = requests;
  {
    std::lock_guard guard(item->lock);
    item->sources = {first.source()};
  }
  run_to_end(item);
  EXPECT_EQ(item->status_code, kStatusNoSources);
  EXPECT_EQ(requests, asked);
}

TEST_F(HostilePeerTest, NamesThatLeadOutsideTheDownloadFolderAreRefusedBeforeAnyWrite) {
  SharePeer& server = add_server("owner-a");
  const std::string served_hash = server.share_file("", "plain.bin", content);
  struct Case {
    std::string name;
    std::string sub_folder;
  };
  const Case cases[] = {{"..", ""},           {"../escaped.bin", ""},      {"a/b.bin", ""},         {"bell\x07.bin", ""},
                        {"new\nline.bin", ""}, {"plain.bin", ".."},        {"plain.bin", "..\\up"}, {"plain.bin", "a/../../up"},
                        {"plain.bin", "x\\\x01"}, {std::string("nul\0.bin", 8), ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " in " + c.sub_folder);
    auto item = make_item(served_hash, c.name, static_cast<int64_t>(content.size()), {source_of(server)});
    item->sub_folder = c.sub_folder;
    run_to_end(item);
    EXPECT_EQ(item->current_state(), ItemState::Stopped);
    EXPECT_EQ(item->status_code, 14);
  }
  EXPECT_EQ(server.meter.uploaded_bytes, 0u);
  EXPECT_FALSE(fs::exists(client.temp / "escaped.bin"));
  EXPECT_FALSE(fs::exists(client.temp / "up"));
  EXPECT_FALSE(fs::exists(client.temp / "plain.bin"));
  // Nothing was even begun.
  for (const auto& entry : fs::recursive_directory_iterator(client.temp.path())) {
    EXPECT_NE(entry.path().filename().string().rfind("[DOVEL]", 0), 0u) << entry.path();
  }
}

// The report of a run reaches the service: owners, name, size and received.
TEST_F(HostilePeerTest, TheRunsReportReachesTheService) {
  FakeServiceEndpoint reports([](const service::Frame&) { return service::build_report_answer(true); });
  context.endpoints.report = {nowhere_endpoint(), reports.endpoint()};
  SharePeer& server = add_server("owner-a");
  const std::string served_hash = server.share_file("", "reported.bin", content);
  auto item = make_item(served_hash, "reported.bin", static_cast<int64_t>(content.size()), {source_of(server)});
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
  const std::vector<service::Frame> frames = reports.frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].type, service::kDownloadReportType);
  std::optional<service::DownloadReport> report = service::parse_download_report(frames[0].payload);
  ASSERT_TRUE(report);
  EXPECT_EQ(report->account_serial, 4711);
  EXPECT_EQ(report->owners, std::vector<std::string>{"owner-a"});
  EXPECT_EQ(report->file_name, "reported.bin");
  EXPECT_EQ(report->size, static_cast<int64_t>(content.size()));
  EXPECT_EQ(report->received, static_cast<int64_t>(content.size()));
}

}  // namespace
}  // namespace dovel::download::test
