// Whole runs against real share servers on loopback.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <filesystem>
#include <string>

#include "db/sqlite2_connection.h"
#include "download/download_records.h"
#include "download/received_ranges.h"
#include "download/run_checkpoint.h"
#include "support/fake_clock.h"
#include "transfer_fixture.h"

namespace dovel::download::test {
namespace {

namespace fs = std::filesystem;

fs::path partial_file(const fs::path& download_folder, const std::string& name) { return download_folder / "_DTEMP_" / ("[DOVEL]" + name); }

int64_t queued_rows(db::InfoDatabase& info, const std::string& hash) {
  std::lock_guard guard(info.info_lock());
  db::Sqlite2Statement count = info.connection().Prepare("Select count(*) From [incompleted_files] Where [hash]=?");
  count.Bind(0, hash);
  return std::stoll(count.Query().Text(0));
}

using TransferRunTest = TransferFixture;

TEST_F(TransferRunTest, AFileFromOneSourceArrivesByteIdenticalAndIsMovedIntoPlace) {
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(3 * kMiB + 1234, 1);
  const std::string hash = server.share_file("영화", "film.bin", content);
  auto item = make_item(hash, "film.bin", static_cast<int64_t>(content.size()), {source_of(server)});
  item->sub_folder = "받은\\영화";

  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
  EXPECT_EQ(item->status_code, 0);
  const fs::path final_path = download_folder() / "받은" / "영화" / "film.bin";
  EXPECT_EQ(dovel::test::read_file(final_path), content);
  EXPECT_FALSE(fs::exists(partial_file(download_folder(), "film.bin")));
  EXPECT_EQ(item->received, static_cast<int64_t>(content.size()));
  EXPECT_EQ(item->peer_id, "owner-a");
  EXPECT_EQ(item->server_path, "영화");
  EXPECT_EQ(queued_rows(client.databases.info, hash), 0);
  EXPECT_TRUE(load_ranges(client.databases.info, hash).empty());
  EXPECT_EQ(meter.downloaded_bytes, content.size());
  EXPECT_EQ(meter.running_downloads, 0);
  EXPECT_EQ(client.databases.info.nesting(), 0);

  std::lock_guard guard(lock);
  EXPECT_EQ(notices, std::vector<std::string>{"film.bin 파일다운이 완료되었습니다."});
  EXPECT_EQ(subtitle_uploads, std::vector<fs::path>{fs::canonical(final_path)});
  EXPECT_NE(log_text(util::kDownloadLog).find("[일반] 3,146,962바이트(3,073k), "), std::string::npos);
  EXPECT_NE(log_text(util::kDownloadLog).find(", film.bin"), std::string::npos);
}

TEST_F(TransferRunTest, TwoSourcesBothServeRangesOfTheFile) {
  SharePeer& first = add_server("owner-a");
  SharePeer& second = add_server("owner-b");
  const std::string content = pattern(6 * kMiB, 2);
  const std::string hash = first.share_file("", "big.bin", content);
  ASSERT_EQ(second.share_file("other", "big.bin", content), hash);
  // Slow servers, so that the second connection arrives while the first still has much to send.
  first.meter.upload_delay_ms = 3;
  second.meter.upload_delay_ms = 3;
  auto item = make_item(hash, "big.bin", static_cast<int64_t>(content.size()), {source_of(first), source_of(second)});

  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
  EXPECT_EQ(dovel::test::read_file(download_folder() / "big.bin"), content);
  EXPECT_GT(first.meter.uploaded_bytes, 0u);
  EXPECT_GT(second.meter.uploaded_bytes, 0u);
  EXPECT_EQ(most_connections, 2);
}

TEST_F(TransferRunTest, WithoutSeveralConnectionsPerDownloadOnlyOneIsEverActive) {
  ASSERT_TRUE(client.settings.update([](settings::StoredSettings& values) { values.use_multi_down = false; }));
  SharePeer& first = add_server("owner-a");
  SharePeer& second = add_server("owner-b");
  const std::string content = pattern(3 * kMiB, 3);
  const std::string hash = first.share_file("", "one.bin", content);
  second.share_file("", "one.bin", content);
  auto item = make_item(hash, "one.bin", static_cast<int64_t>(content.size()), {source_of(first), source_of(second)});

  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
  EXPECT_EQ(dovel::test::read_file(download_folder() / "one.bin"), content);
  EXPECT_EQ(most_connections, 1);
  EXPECT_TRUE(eventually([&] { return first.server->data_count() == 0; }));
  EXPECT_EQ(first.meter.uploaded_bytes, content.size());
  EXPECT_EQ(second.meter.uploaded_bytes, 0u);
}

TEST_F(TransferRunTest, AStoppedDownloadResumesWithOnlyTheMissingRanges) {
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(4 * kMiB, 4);
  const std::string hash = server.share_file("", "resume.bin", content);
  server.meter.upload_delay_ms = 5;
  auto item = make_item(hash, "resume.bin", static_cast<int64_t>(content.size()), {source_of(server)});

  ASSERT_TRUE(the_runner().start(item));
  ASSERT_TRUE(eventually([&] {
    std::lock_guard guard(item->lock);
    return item->received > kMiB;
  }));
  the_runner().cancel(*item);
  wait_for_end(*item, 1);
  EXPECT_EQ(item->current_state(), ItemState::Stopped);
  ASSERT_TRUE(eventually([&] { return server.server->data_count() == 0; }));

  // What was recorded: the bytes it calls received are the source's bytes.
  const std::vector<ByteRange> missing = load_ranges(client.databases.info, hash);
  ASSERT_FALSE(missing.empty());
  int64_t missing_bytes = 0;
  for (const ByteRange& range : missing) missing_bytes += range.length();
  const int64_t received = static_cast<int64_t>(content.size()) - missing_bytes;
  EXPECT_EQ(received, item->received);
  EXPECT_GT(received, kMiB);
  const std::string partial = dovel::test::read_file(partial_file(download_folder(), "resume.bin"));
  ASSERT_GE(static_cast<int64_t>(partial.size()), missing.front().start);
  EXPECT_EQ(partial.substr(0, static_cast<size_t>(missing.front().start)), content.substr(0, static_cast<size_t>(missing.front().start)));

  const uint64_t sent_before = server.meter.uploaded_bytes;
  server.meter.upload_delay_ms = 0;
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
  EXPECT_EQ(dovel::test::read_file(download_folder() / "resume.bin"), content);
  EXPECT_TRUE(eventually([&] { return server.server->data_count() == 0; }));
  EXPECT_EQ(static_cast<int64_t>(server.meter.uploaded_bytes - sent_before), missing_bytes);
}

// A partial file that lost its end (a crash before the data reached the disk)
// while its record says the bytes were there: the resume fetches them again.
TEST_F(TransferRunTest, AResumeTrustsNoRecordedByteBeyondThePartialFilesEnd) {
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(3 * kMiB, 8);
  const std::string hash = server.share_file("", "cut.bin", content);
  auto item = make_item(hash, "cut.bin", static_cast<int64_t>(content.size()), {source_of(server)});
  client.temp.write("down/_DTEMP_/[DOVEL]cut.bin", content.substr(0, kMiB));
  ASSERT_TRUE(save_ranges(client.databases.info, hash, {{2 * kMiB, 3 * kMiB}}));

  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
  EXPECT_EQ(dovel::test::read_file(download_folder() / "cut.bin"), content);
  EXPECT_TRUE(eventually([&] { return server.server->data_count() == 0; }));
  EXPECT_EQ(server.meter.uploaded_bytes, static_cast<uint64_t>(2 * kMiB));
}

TEST_F(TransferRunTest, AFileOfTheSameNameStopsTheItemBeforeAnyConnection) {
  platform::UniqueFd listener(platform::make_tcp_listener(dovel::test::unique_loopback_address(), 0, 5));
  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  ASSERT_EQ(::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&bound), &length), 0);
  client.temp.write("down/taken.bin", "already here");
  auto item = make_item(std::string(32, 'a'), "taken.bin", 1000, {{bound.sin_addr.s_addr, platform::local_port(listener.get()), ""}});

  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Stopped);
  EXPECT_EQ(item->status_code, 17);
  pollfd incoming{listener.get(), POLLIN, 0};
  EXPECT_EQ(::poll(&incoming, 1, 0), 0);
  EXPECT_EQ(dovel::test::read_file(download_folder() / "taken.bin"), "already here");
  EXPECT_NE(log_text(util::kSystemLog).find("같은 파일이름이 존재합니다. 다운로드폴더를 확인하세요."), std::string::npos);
}

TEST_F(TransferRunTest, TheServersRefusalIsTheItemsStatus) {
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(100000, 5);
  const std::string hash = server.share_file("", "paused.bin", content);
  server.monitor.set_new_uploads_paused(true);
  auto item = make_item(hash, "paused.bin", static_cast<int64_t>(content.size()), {source_of(server)});

  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Stopped);
  EXPECT_EQ(item->status_code, 10);
  EXPECT_EQ(queued_rows(client.databases.info, hash), 1);
  EXPECT_EQ(load_ranges(client.databases.info, hash), (std::vector<ByteRange>{{0, static_cast<int64_t>(content.size())}}));
}

TEST_F(TransferRunTest, NoSourceAtAllIsStatus9) {
  auto item = make_item(std::string(32, 'b'), "lonely.bin", 1000, {});
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Stopped);
  EXPECT_EQ(item->status_code, 9);
}

TEST_F(TransferRunTest, WithoutConnectWorkerTheItemIsCancelled) {
  context.connect_worker = nullptr;
  SharePeer& server = add_server("owner-a");
  const std::string hash = server.share_file("", "x.bin", pattern(1000, 6));
  auto item = make_item(hash, "x.bin", 1000, {source_of(server)});
  EXPECT_FALSE(the_runner().can_connect());
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Stopped);
  EXPECT_TRUE(item->stop_requested);
  EXPECT_NE(log_text(util::kSystemLog).find("Connect Thread 실패 - 다운로드가 취소되었습니다."), std::string::npos);
}

// While a slow transfer records its progress at every turn, the committed
// record never calls a byte received that the partial file does not hold.
TEST_F(TransferRunTest, CommittedRangesNeverClaimBytesTheFileDoesNotHold) {
  context.timings.checkpoint_ms = 0;
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(2 * kMiB, 7);
  const std::string hash = server.share_file("", "careful.bin", content);
  server.meter.upload_delay_ms = 4;
  auto item = make_item(hash, "careful.bin", static_cast<int64_t>(content.size()), {source_of(server)});
  ASSERT_TRUE(the_runner().start(item));

  db::Sqlite2Connection reader;
  reader.Open(client.home() / "DovelInfo.dat");
  int checked = 0;
  while (ends_of(*item) == 0 && checked < 40) {
    std::vector<ByteRange> missing;
    try {
      db::Sqlite2Statement select = reader.Prepare("Select [start_pos],[end_pos] From [down_file_info] Where [hash]=?");
      select.Bind(0, hash);
      for (db::Sqlite2Query rows = select.Query(); !rows.AtEnd(); rows.Next()) {
        missing.push_back({std::stoll(rows.Text(0)), std::stoll(rows.Text(1))});
      }
    } catch (const db::CppSQLiteException&) {
      continue;  // the writer holds the file for a moment
    }
    const std::string partial = dovel::test::read_file(partial_file(download_folder(), "careful.bin"));
    int64_t position = 0;
    for (const ByteRange& range : clamp_recorded_ranges(missing, static_cast<int64_t>(content.size()), static_cast<int64_t>(content.size()))) {
      ASSERT_LE(range.start, static_cast<int64_t>(partial.size()));
      ASSERT_EQ(partial.substr(static_cast<size_t>(position), static_cast<size_t>(range.start - position)),
                content.substr(static_cast<size_t>(position), static_cast<size_t>(range.start - position)));
      position = range.end;
    }
    if (!missing.empty() && position < static_cast<int64_t>(content.size())) {
      ASSERT_EQ(partial.substr(static_cast<size_t>(position)), content.substr(static_cast<size_t>(position)));
    }
    ++checked;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  wait_for_end(*item, 1);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
  EXPECT_GT(checked, 0);
}

TEST(CheckpointTimerTest, DueOnlyAfterMoreThanThePeriod) {
  dovel::test::FakeClock clock;
  clock.set_performance_counter(5'000'000'000);
  CheckpointTimer timer(clock, 30000);
  EXPECT_FALSE(timer.due());
  clock.set_performance_counter(35'000'000'000);
  EXPECT_FALSE(timer.due());
  clock.set_performance_counter(35'001'000'000);
  EXPECT_TRUE(timer.due());
  timer.passed();
  EXPECT_FALSE(timer.due());
}

}  // namespace
}  // namespace dovel::download::test
