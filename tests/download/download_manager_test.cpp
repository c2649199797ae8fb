#include "download/download_manager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "base/string_printf.h"
#include "download/download_records.h"
#include "manager_fixture.h"

namespace dovel::download::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kHashA = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa";
constexpr const char* kHashB = "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb";
constexpr const char* kHashC = "cccccccccccccccccccccccccccccccc";

const Source kServerA{0x0100007F, 9910, "alice"};
const Source kServerB{0x0200007F, 9910, "bob"};

AddRequest request(const std::string& hash, const std::string& name, std::vector<Source> sources = {kServerA}) {
  AddRequest added;
  added.hash = hash;
  added.file_name = name;
  added.size = 100000;
  added.sources = std::move(sources);
  added.peer_id = "alice";
  return added;
}

class DownloadManagerTest : public ManagerFixture {
 protected:
  ItemSnapshot row(const std::string& hash) {
    for (const ListRow& listed : manager->snapshot()) {
      if (listed.item.hash == hash) return listed.item;
    }
    ADD_FAILURE() << "no row for " << hash;
    return {};
  }
  ItemState state_of(const std::string& hash) { return row(hash).state; }

  std::vector<std::string> list_order() {
    std::vector<std::string> hashes;
    for (const ListRow& listed : manager->snapshot()) hashes.push_back(listed.item.hash);
    return hashes;
  }

  // Ends the run of the item the way a run does: final state and code first, then the report.
  void end_run(const std::string& hash, ItemState final_state, int status_code = 0) {
    std::shared_ptr<DownloadItem> item = runner.started_item(hash);
    ASSERT_TRUE(item);
    const size_t starts_before = runner.started().size();
    item->status_code = status_code;
    item->set_state(final_state);
    manager->run_ended(item);
    ASSERT_TRUE(eventually([&] { return !manager->run_pending(hash) || runner.started().size() > starts_before; }));
  }

  // Adds an item and leaves it stopped, its run ended.
  void add_stopped(const std::string& hash, const std::string& name, int status_code = 0, std::vector<Source> sources = {kServerA}) {
    ASSERT_TRUE(manager->add(request(hash, name, std::move(sources))));
    ASSERT_EQ(state_of(hash), ItemState::Transferring);
    end_run(hash, ItemState::Stopped, status_code);
  }
};

TEST_F(DownloadManagerTest, AddQueuesWritesTheRowsAndStarts) {
  AddRequest added = request(kHashA, "movie.avi", {kServerA, kServerB, kServerA});
  added.sub_folder = "films";
  added.folder_password = "pw";
  ASSERT_TRUE(manager->add(added));
  EXPECT_THAT(runner.started(), ElementsAre(kHashA));
  EXPECT_TRUE(said("다운로드목록에 추가하였습니다."));
  EXPECT_EQ(host.shown, 0);

  ItemSnapshot item = row(kHashA);
  EXPECT_EQ(item.state, ItemState::Transferring);
  EXPECT_EQ(item.file_name, "movie.avi");
  ASSERT_EQ(item.sources.size(), 2u);  // the repeated server is kept once
  EXPECT_TRUE(item.sources[0].same_server(kServerA));
  EXPECT_EQ(item.target_folder, download_folder.string() + "/films");

  std::vector<QueuedRow> rows = load_queued_rows(info());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].file_name, "movie.avi");
  EXPECT_EQ(rows[0].size, 100000);
  EXPECT_EQ(rows[0].password, "pw");
  EXPECT_EQ(rows[0].sub_folder, "films");
  EXPECT_EQ(rows[0].peer_id, "alice");
  EXPECT_TRUE(has_range_rows(info(), kHashA));
  EXPECT_EQ(load_sources(info(), kHashA).size(), 2u);
}

TEST_F(DownloadManagerTest, AddAskingForTheListShowsItInsteadOfTheMessage) {
  AddRequest added = request(kHashA, "a.bin");
  added.switch_to_downloads = true;
  ASSERT_TRUE(manager->add(added));
  EXPECT_EQ(host.shown, 1);
  EXPECT_FALSE(said("다운로드목록에 추가하였습니다."));
}

TEST_F(DownloadManagerTest, RefusedRequestsLeaveNothingBehind) {
  struct Case {
    std::string what;
    AddRequest request;
    std::string message;
  };
  auto with = [](std::function<void(AddRequest&)> change) {
    AddRequest changed = request(kHashA, "file.bin");
    change(changed);
    return changed;
  };
  const Case cases[] = {
      {"size 0", with([](AddRequest& r) { r.size = 0; }), "file.bin는 크기가 0입니다. 다운로드가 취소되었습니다."},
      {"negative size", with([](AddRequest& r) { r.size = -1; }), "다운로드 정보가 올바르지 않습니다"},
      {"empty hash", with([](AddRequest& r) { r.hash = ""; }), "해시가 올바르지 않습니다"},
      {"non-hex hash", with([](AddRequest& r) { r.hash = "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"; }), "해시가 올바르지 않습니다"},
      {"short hash", with([](AddRequest& r) { r.hash = "abc"; }), "해시가 올바르지 않습니다"},
      {"hash with a quote", with([](AddRequest& r) { r.hash = "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa'"; }), "해시가 올바르지 않습니다"},
      {"parent name", with([](AddRequest& r) { r.file_name = ".."; }), "사용할 수 없는 파일이름입니다"},
      {"climbing name", with([](AddRequest& r) { r.file_name = "../../escape.bin"; }), "사용할 수 없는 파일이름입니다"},
      {"backslash name", with([](AddRequest& r) { r.file_name = "..\\..\\escape.bin"; }), "사용할 수 없는 파일이름입니다"},
      {"absolute name", with([](AddRequest& r) { r.file_name = "/tmp/escape.bin"; }), "사용할 수 없는 파일이름입니다"},
      {"control bytes", with([](AddRequest& r) { r.file_name = "evil\r\nname.bin"; }), "'evil??name.bin'는 사용할 수 없는 파일이름입니다"},
      {"empty name", with([](AddRequest& r) { r.file_name = ""; }), "사용할 수 없는 파일이름입니다"},
      {"climbing sub-folder", with([](AddRequest& r) { r.sub_folder = "..\\.."; }), "다운로드 정보가 올바르지 않습니다"},
      {"long peer ID", with([](AddRequest& r) { r.peer_id = std::string(51, 'p'); }), "다운로드 정보가 올바르지 않습니다"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(manager->add(c.request)) << c.what;
    EXPECT_TRUE(said(c.message)) << c.what;
  }
  EXPECT_THAT(manager->snapshot(), IsEmpty());
  EXPECT_THAT(load_queued_rows(info()), IsEmpty());
  EXPECT_THAT(runner.started(), IsEmpty());
  EXPECT_FALSE(std::filesystem::exists(home / "escape.bin"));
}

TEST_F(DownloadManagerTest, NoServiceOrConnectWorkerRefusesTheAdd) {
  host.logged_in = false;
  EXPECT_FALSE(manager->add(request(kHashA, "a.bin")));
  EXPECT_EQ(host.service_checks, 1);
  host.logged_in = true;
  runner.connect_worker = false;
  EXPECT_FALSE(manager->add(request(kHashA, "a.bin")));
  EXPECT_TRUE(said("탐색쓰레드생성실패. 다운로드가 취소되었습니다."));
  EXPECT_THAT(manager->snapshot(), IsEmpty());
  EXPECT_THAT(load_queued_rows(info()), IsEmpty());
}

TEST_F(DownloadManagerTest, FinishedOrTransferringFileIsNotAddedAgain) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  EXPECT_FALSE(manager->add(request("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", "a.bin", {kServerB})));  // the FileHash without regard to case
  EXPECT_TRUE(said("완료되었거나 전송중인 파일입니다."));
  end_run(kHashA, ItemState::Finished);
  EXPECT_FALSE(manager->add(request(kHashA, "a.bin", {kServerB})));
  EXPECT_EQ(row(kHashA).sources.size(), 1u);
  EXPECT_EQ(runner.started().size(), 1u);
}

TEST_F(DownloadManagerTest, ReAddingAStoppedFilePutsTheNewSourceFirstAndQueuesItAgain) {
  add_stopped(kHashA, "a.bin", 12, {kServerA, kServerB});
  const Source fresh{0x0300007F, 7000, ""};
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin", {fresh, kServerB})));
  ItemSnapshot item = row(kHashA);
  ASSERT_EQ(item.sources.size(), 3u);
  EXPECT_TRUE(item.sources[0].same_server(fresh));
  EXPECT_TRUE(item.sources[1].same_server(kServerB));
  EXPECT_TRUE(item.sources[2].same_server(kServerA));
  EXPECT_EQ(item.state, ItemState::Transferring);  // queued and started again
  EXPECT_EQ(item.status_code, 0);
  EXPECT_THAT(runner.started(), ElementsAre(kHashA, kHashA));
  EXPECT_EQ(load_sources(info(), kHashA).size(), 3u);
}

TEST_F(DownloadManagerTest, WaitingFileIsLeftAsItIs) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin", {kServerA})));
  ASSERT_TRUE(manager->add(request(kHashB, "b.bin", {kServerA})));
  ASSERT_EQ(state_of(kHashB), ItemState::Waiting);
  EXPECT_FALSE(manager->add(request(kHashB, "b.bin", {kServerB})));
  EXPECT_EQ(row(kHashB).sources.size(), 1u);
}

TEST_F(DownloadManagerTest, SecondUnfinishedFileOfOneNameIsRefused) {
  ASSERT_TRUE(manager->add(request(kHashA, "same.bin")));
  EXPECT_FALSE(manager->add(request(kHashB, "same.bin")));
  EXPECT_TRUE(said("같은 파일이름이 존재합니다. 다운로드폴더를 확인하세요."));
  end_run(kHashA, ItemState::Finished);
  EXPECT_TRUE(manager->add(request(kHashB, "same.bin")));
}

TEST_F(DownloadManagerTest, TheListHoldsABoundedNumberOfFiles) {
  static_assert(DownloadManager::kMaxItems == 5000);
  constexpr size_t kSmallLimit = 3;
  manager = std::make_unique<DownloadManager>(info(), runner, host, clock, kSmallLimit);
  for (size_t i = 0; i < kSmallLimit; ++i) {
    const std::string hash = base::string_printf("%032zx", i);
    ASSERT_TRUE(manager->add(request(hash, hash + ".bin"))) << i;
  }
  const std::string one_more(32, 'f');
  EXPECT_FALSE(manager->add(request(one_more, "one-more.bin")));
  EXPECT_TRUE(said("다운로드목록이 가득 찼습니다(3개). 완료된 파일을 목록에서 지운 뒤 다시 시도하세요."));
  EXPECT_FALSE(manager->contains(one_more));
  EXPECT_EQ(rows_of("incompleted_files", one_more), 0);
  EXPECT_EQ(manager->snapshot().size(), kSmallLimit);
  // The files already in the list are still found, and a place freed takes a new one.
  const std::string first = base::string_printf("%032zx", size_t{0});
  EXPECT_TRUE(manager->contains(first));
  end_run(first, ItemState::Finished);
  EXPECT_TRUE(manager->remove(first));
  EXPECT_TRUE(manager->add(request(one_more, "one-more.bin")));
}

TEST_F(DownloadManagerTest, OneServerRunsOneFileAtATimeAndTheNextStartsWhenARunEnds) {
  host.limit = 3;
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin", {kServerA})));
  ASSERT_TRUE(manager->add(request(kHashB, "b.bin", {kServerA})));
  ASSERT_TRUE(manager->add(request(kHashC, "c.bin", {kServerB})));
  EXPECT_THAT(runner.started(), ElementsAre(kHashA, kHashC));
  EXPECT_EQ(state_of(kHashB), ItemState::Waiting);
  end_run(kHashA, ItemState::Finished);
  ASSERT_TRUE(eventually([&] { return runner.started().size() == 3; }));
  EXPECT_THAT(runner.started(), ElementsAre(kHashA, kHashC, kHashB));
}

TEST_F(DownloadManagerTest, RunThatCannotStartLeavesTheItemStopped) {
  runner.start_succeeds = false;
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  EXPECT_EQ(state_of(kHashA), ItemState::Stopped);
  EXPECT_EQ(manager->running_count(), 0);
}

TEST_F(DownloadManagerTest, RunEndingInAnUnfinishedStateLeavesItStopped) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  end_run(kHashA, ItemState::Moving, 0);
  EXPECT_EQ(state_of(kHashA), ItemState::Stopped);
}

TEST_F(DownloadManagerTest, StopIsRefusedWhilePreparing) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  std::shared_ptr<DownloadItem> item = runner.started_item(kHashA);
  item->set_state(ItemState::Preparing);
  EXPECT_FALSE(manager->stop(kHashA));
  EXPECT_TRUE(said("준비중인 파일은 취소할 수 없습니다. 준비가 끝나면 취소가 가능합니다."));
  EXPECT_EQ(item->current_state(), ItemState::Preparing);
  EXPECT_FALSE(item->stop_requested);
  EXPECT_THAT(runner.cancelled(), IsEmpty());

  item->set_state(ItemState::Transferring);
  EXPECT_TRUE(manager->stop(kHashA));
  EXPECT_EQ(item->current_state(), ItemState::Stopped);
  EXPECT_TRUE(item->stop_requested);
  EXPECT_THAT(runner.cancelled(), ElementsAre(kHashA));
}

TEST_F(DownloadManagerTest, StoppingAWaitingItemNeedsNoCancelAndFinishedItemsStay) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin", {kServerA})));
  ASSERT_TRUE(manager->add(request(kHashB, "b.bin", {kServerA})));
  EXPECT_TRUE(manager->stop(kHashB));
  EXPECT_EQ(state_of(kHashB), ItemState::Stopped);
  EXPECT_THAT(runner.cancelled(), IsEmpty());
  end_run(kHashA, ItemState::Finished);
  EXPECT_FALSE(manager->stop(kHashA));
  EXPECT_EQ(state_of(kHashA), ItemState::Finished);
}

TEST_F(DownloadManagerTest, ResumeQueuesAStoppedItem) {
  add_stopped(kHashA, "a.bin", 8);
  EXPECT_TRUE(manager->resume(kHashA));
  EXPECT_EQ(state_of(kHashA), ItemState::Transferring);
  EXPECT_EQ(runner.started().size(), 2u);
  EXPECT_FALSE(manager->resume(kHashA));  // running
  EXPECT_FALSE(manager->resume(kHashB));  // unknown
}

TEST_F(DownloadManagerTest, ResumeWhileTheRunWindsDownStartsAfterItsEnd) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  ASSERT_TRUE(manager->stop(kHashA));
  EXPECT_TRUE(manager->resume(kHashA));
  EXPECT_EQ(runner.started().size(), 1u);  // the stopped run has not reported its end
  // The run ends as a stopped run does, after the resume.
  std::shared_ptr<DownloadItem> item = runner.started_item(kHashA);
  item->set_state(ItemState::Stopped);
  item->status_code = 15;
  manager->run_ended(item);
  ASSERT_TRUE(eventually([&] { return runner.started().size() == 2; }));
}

// Re-adding and the automatic retry queue a stopped item again as resume does,
// also while its stopped run still winds down.
TEST_F(DownloadManagerTest, ReAddOrRetryWhileTheRunWindsDownStartsAfterItsEnd) {
  const struct {
    const char* name;
    std::function<bool(DownloadManager&)> queue_again;
  } cases[] = {
      {"re-add", [](DownloadManager& manager) { return manager.add(request(kHashA, "a.bin")); }},
      {"retry", [](DownloadManager& manager) { return manager.auto_retry(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    manager = std::make_unique<DownloadManager>(info(), runner, host, clock);
    const size_t started_before = runner.started().size();
    ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
    ASSERT_TRUE(manager->stop(kHashA));
    std::shared_ptr<DownloadItem> item = runner.last_started();
    ASSERT_TRUE(c.queue_again(*manager));
    EXPECT_EQ(runner.started().size(), started_before + 1);  // the stopped run has not reported its end
    // The run ends as a stopped run does, after the item was queued again.
    item->set_state(ItemState::Stopped);
    item->status_code = 15;
    manager->run_ended(item);
    ASSERT_TRUE(eventually([&] { return runner.started().size() == started_before + 2; })) << "left stopped for good";
    EXPECT_EQ(state_of(kHashA), ItemState::Transferring);
    manager->shut_down();
    ASSERT_TRUE(manager->remove(kHashA));
  }
}

TEST_F(DownloadManagerTest, ResumeNeedsTheServiceAndTheConnectWorker) {
  add_stopped(kHashA, "a.bin");
  host.logged_in = false;
  EXPECT_FALSE(manager->resume(kHashA));
  host.logged_in = true;
  runner.connect_worker = false;
  EXPECT_FALSE(manager->resume(kHashA));
  EXPECT_TRUE(said("탐색쓰레드생성실패. 다운로드가 취소되었습니다."));
  EXPECT_EQ(state_of(kHashA), ItemState::Stopped);
}

TEST_F(DownloadManagerTest, DeletingARunningItemIsRefused) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  EXPECT_FALSE(manager->remove(kHashA));
  EXPECT_TRUE(said("전송을 중지한후 목록에서 삭제하십시요."));
  ASSERT_TRUE(manager->stop(kHashA));
  EXPECT_FALSE(manager->remove(kHashA));  // stopped, but its run has not ended yet
  EXPECT_EQ(list_order().size(), 1u);
  EXPECT_EQ(load_queued_rows(info()).size(), 1u);
}

TEST_F(DownloadManagerTest, DeletingAStoppedItemRemovesItsRowsAndTemporaryFileOnly) {
  add_stopped(kHashA, "a.bin");
  home.write("Download/_DTEMP_/[DOVEL]a.bin", "partial");
  home.write("Download/a.bin", "someone else's finished file");
  EXPECT_TRUE(manager->remove(kHashA));
  EXPECT_THAT(manager->snapshot(), IsEmpty());
  EXPECT_EQ(rows_of("incompleted_files", kHashA), 0);
  EXPECT_EQ(rows_of("down_file_info", kHashA), 0);
  EXPECT_EQ(rows_of("addr_info", kHashA), 0);
  EXPECT_FALSE(std::filesystem::exists(temporary_file("a.bin")));
  EXPECT_TRUE(std::filesystem::exists(download_folder / "a.bin"));
}

TEST_F(DownloadManagerTest, DeletingAFinishedItemNeverTouchesTheFinishedFile) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  home.write("Download/a.bin", "the finished download");
  end_run(kHashA, ItemState::Finished);
  EXPECT_TRUE(manager->remove(kHashA));
  EXPECT_THAT(manager->snapshot(), IsEmpty());
  EXPECT_EQ(dovel::test::read_file(download_folder / "a.bin"), "the finished download");
}

// A finished run flushes the file to the disk before it ends: the item can
// leave the list meanwhile. Here the exit's stop came too late for the run,
// which finished anyway; the exit waiting for that run is not held up.
TEST_F(DownloadManagerTest, AFinishedItemWhoseRunStillFlushesCanBeDeleted) {
  int exits_done = 0;
  manager->set_exit_listener([&] { ++exits_done; });
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  std::shared_ptr<DownloadItem> item = runner.started_item(kHashA);
  ASSERT_TRUE(item);
  ASSERT_EQ(manager->stop_all_for_exit(), 1);
  item->set_state(ItemState::Finished);
  EXPECT_TRUE(manager->remove(kHashA));
  EXPECT_THAT(manager->snapshot(), IsEmpty());
  EXPECT_EQ(exits_done, 1);
  manager->run_ended(item);
  EXPECT_TRUE(eventually([&] { return !manager->run_pending(kHashA); }));
  EXPECT_EQ(exits_done, 1);
}

TEST_F(DownloadManagerTest, RemoveFinishedKeepsTheOthers) {
  host.limit = 0;
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin", {kServerA})));
  ASSERT_TRUE(manager->add(request(kHashB, "b.bin", {kServerB})));
  end_run(kHashA, ItemState::Finished);
  EXPECT_EQ(manager->remove_finished(), 1);
  EXPECT_THAT(list_order(), ElementsAre(kHashB));
}

TEST_F(DownloadManagerTest, AutomaticRetrySkipsFailedWrites) {
  host.limit = 0;
  add_stopped(kHashA, "a.bin", 14, {kServerA});
  add_stopped(kHashB, "b.bin", 12, {kServerB});
  EXPECT_TRUE(manager->auto_retry());
  EXPECT_EQ(state_of(kHashA), ItemState::Stopped);
  EXPECT_EQ(state_of(kHashB), ItemState::Transferring);
  EXPECT_EQ(runner.started().size(), 3u);
}

TEST_F(DownloadManagerTest, AutomaticRetrySkipsAnItemStoppedForGoodWhichTheUserMayStillResume) {
  host.limit = 0;
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin", {kServerA})));
  runner.started_item(kHashA)->retry_barred = true;
  end_run(kHashA, ItemState::Stopped, 5);
  EXPECT_TRUE(manager->auto_retry());
  EXPECT_EQ(state_of(kHashA), ItemState::Stopped);
  EXPECT_EQ(runner.started().size(), 1u);
  EXPECT_TRUE(manager->resume(kHashA));
  EXPECT_EQ(state_of(kHashA), ItemState::Transferring);
}

TEST_F(DownloadManagerTest, AutomaticRetryWaitsWhileSomethingTransfersOrWhenNotAllowed) {
  host.limit = 0;
  add_stopped(kHashA, "a.bin", 12, {kServerA});
  ASSERT_TRUE(manager->add(request(kHashB, "b.bin", {kServerB})));
  EXPECT_FALSE(manager->auto_retry());
  EXPECT_EQ(state_of(kHashA), ItemState::Stopped);
  end_run(kHashB, ItemState::Stopped, 12);
  host.retry = false;
  EXPECT_FALSE(manager->auto_retry());
  host.retry = true;
  runner.connect_worker = false;
  EXPECT_FALSE(manager->auto_retry());
  EXPECT_EQ(state_of(kHashA), ItemState::Stopped);
  EXPECT_EQ(state_of(kHashB), ItemState::Stopped);
}

TEST_F(DownloadManagerTest, MovesShiftTheSelectionAsABlockAndSaveTheOrder) {
  runner.start_succeeds = false;
  const std::vector<std::string> hashes = {kHashA, kHashB, kHashC, "dddddddddddddddddddddddddddddddd", "eeeeeeeeeeeeeeeeeeeeeeeeeeeeeeee"};
  for (size_t i = 0; i < hashes.size(); ++i) ASSERT_TRUE(manager->add(request(hashes[i], "f" + std::to_string(i))));
  const auto& [a, b, c, d, e] = std::tie(hashes[0], hashes[1], hashes[2], hashes[3], hashes[4]);

  EXPECT_TRUE(manager->move({c, e}, true));
  EXPECT_THAT(list_order(), ElementsAre(a, c, e, b, d));
  EXPECT_TRUE(manager->move({a, e}, false));
  EXPECT_THAT(list_order(), ElementsAre(c, b, a, e, d));
  EXPECT_FALSE(manager->move({c}, true));  // already at the top
  EXPECT_FALSE(manager->move({d}, false));
  EXPECT_FALSE(manager->move({"unknown"}, true));

  std::vector<std::string> stored;
  for (const QueuedRow& queued : load_queued_rows(info())) stored.push_back(queued.hash);
  EXPECT_THAT(stored, ElementsAre(c, b, a, e, d));
}

TEST_F(DownloadManagerTest, NewRowsKeepTheirPlaceAcrossARestart) {
  runner.start_succeeds = false;
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  ASSERT_TRUE(manager->add(request(kHashB, "b.bin")));
  ASSERT_TRUE(manager->move({kHashB}, true));
  ASSERT_TRUE(manager->add(request(kHashC, "c.bin")));
  std::vector<std::string> stored;
  for (const QueuedRow& queued : load_queued_rows(info())) stored.push_back(queued.hash);
  EXPECT_THAT(stored, ElementsAre(kHashB, kHashA, kHashC));
}

TEST_F(DownloadManagerTest, CopyLinkNamesTheFile) {
  ASSERT_TRUE(manager->add(request(kHashA, "노래.mp3")));
  EXPECT_EQ(manager->copy_link(kHashA), "dovel://file/노래.mp3:" + std::string(kHashA) + ":100000");
  EXPECT_FALSE(manager->copy_link(kHashB));
}

TEST_F(DownloadManagerTest, SnapshotMeasuresSpeedsOnTheRunClock) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  std::shared_ptr<DownloadItem> item = runner.started_item(kHashA);
  {
    std::lock_guard guard(item->lock);
    item->size = 10 * 1048576;
    item->received = 4 * 1048576;
    item->received_at_start = 0;
    item->run_start_ms = 8000;
    item->sample_received = 3 * 1048576;
    item->sample_ms = 9000;
  }
  clock.set_performance_counter(uint64_t{10000} * 1000000);
  ListRow shown = manager->snapshot().front();
  EXPECT_EQ(shown.texts.average_speed, "2048 K");
  EXPECT_EQ(shown.texts.current_speed, "1024 K");
  EXPECT_EQ(shown.texts.remaining_time, "00:00:03");
  EXPECT_EQ(shown.texts.percent, 40);

  // A second look within the same second keeps the measured current speed.
  clock.set_performance_counter(uint64_t{10100} * 1000000);
  EXPECT_EQ(manager->snapshot().front().texts.current_speed, "1024 K");

  item->set_state(ItemState::Stopped);
  shown = manager->snapshot().front();
  EXPECT_EQ(shown.item.average_speed, -1);
  EXPECT_EQ(shown.texts.average_speed, "");
  EXPECT_EQ(shown.texts.remaining_time, "");
}

TEST_F(DownloadManagerTest, SnapshotOfARunJustStartedShowsNoSpeed) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  std::shared_ptr<DownloadItem> item = runner.started_item(kHashA);
  {
    std::lock_guard guard(item->lock);
    item->run_start_ms = 5000;
    item->sample_ms = 5000;
  }
  clock.set_performance_counter(uint64_t{5000} * 1000000);
  ListRow shown = manager->snapshot().front();
  EXPECT_EQ(shown.texts.average_speed, "");
  EXPECT_EQ(shown.texts.current_speed, "");
  EXPECT_EQ(shown.texts.remaining_time, "");
}

TEST_F(DownloadManagerTest, StopAllForExitStopsEveryUnfinishedItemAndReportsTheLastEnd) {
  host.limit = 0;
  std::atomic<int> exit_reports{0};
  manager->set_exit_listener([&] { ++exit_reports; });
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin", {kServerA})));
  ASSERT_TRUE(manager->add(request(kHashB, "b.bin", {kServerB})));
  ASSERT_TRUE(manager->add(request(kHashC, "c.bin", {kServerA})));  // waiting for server A
  runner.started_item(kHashB)->set_state(ItemState::Preparing);

  EXPECT_EQ(manager->stop_all_for_exit(), 2);
  for (const char* hash : {kHashA, kHashB, kHashC}) EXPECT_EQ(state_of(hash), ItemState::Stopped) << hash;
  EXPECT_THAT(runner.cancelled(), ElementsAre(kHashA, kHashB));
  EXPECT_FALSE(manager->add(request("dddddddddddddddddddddddddddddddd", "d.bin")));

  end_run(kHashA, ItemState::Stopped);
  EXPECT_EQ(exit_reports, 0);
  end_run(kHashB, ItemState::Stopped);
  ASSERT_TRUE(eventually([&] { return exit_reports == 1; }));
  EXPECT_EQ(runner.started().size(), 2u);  // nothing starts any more
}

TEST_F(DownloadManagerTest, StopAllForExitWithNothingRunning) {
  add_stopped(kHashA, "a.bin");
  EXPECT_EQ(manager->stop_all_for_exit(), 0);
}

TEST_F(DownloadManagerTest, ShutDownJoinsTheRunsStopsTheRestAndSavesTheOrder) {
  runner.start_succeeds = false;
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  ASSERT_TRUE(manager->add(request(kHashB, "b.bin")));
  ASSERT_TRUE(info().InfoExecute("Update [incompleted_files] Set [idx]=9 Where [hash]='" + std::string(kHashA) + "'"));
  manager->shut_down();
  EXPECT_EQ(runner.stop_all_calls, 1);
  std::vector<std::string> stored;
  for (const QueuedRow& queued : load_queued_rows(info())) stored.push_back(queued.hash);
  EXPECT_THAT(stored, ElementsAre(kHashA, kHashB));
  manager->shut_down();
  EXPECT_EQ(runner.stop_all_calls, 1);
}

TEST_F(DownloadManagerTest, ChangesAreTold) {
  std::atomic<int> changes{0};
  manager->set_change_listener([&] { ++changes; });
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin")));
  const int after_add = changes;
  EXPECT_GT(after_add, 0);
  end_run(kHashA, ItemState::Stopped);
  ASSERT_TRUE(eventually([&] { return changes > after_add; }));
}

// A restart: what the first manager queued comes back stopped, strays are swept.
TEST_F(DownloadManagerTest, RestoreBringsTheQueueBackAndReportsLeftovers) {
  ASSERT_TRUE(manager->add(request(kHashA, "a.bin", {kServerA})));
  ASSERT_TRUE(manager->add(request(kHashB, "b.bin", {kServerA})));
  manager.reset();
  home.write("Download/_DTEMP_/[DOVEL]stray.bin", "left behind");
  home.write("Download/_DTEMP_/[DOVEL]empty.bin", "");

  manager = std::make_unique<DownloadManager>(info(), runner, host, clock);
  RestoredQueue restored = manager->restore();
  EXPECT_THAT(list_order(), ElementsAre(kHashA, kHashB));
  EXPECT_EQ(state_of(kHashA), ItemState::Stopped);
  EXPECT_EQ(state_of(kHashB), ItemState::Stopped);
  EXPECT_TRUE(row(kHashA).sources[0].same_server(kServerA));
  EXPECT_EQ(row(kHashA).sources[0].peer_id, "alice");
  EXPECT_THAT(restored.deleted_empty_files, ElementsAre("[DOVEL]empty.bin"));
  EXPECT_TRUE(said("임시폴더에 정리되지 않은 파일들이 있습니다."));
  EXPECT_TRUE(said("[DOVEL]stray.bin(11)"));

  EXPECT_TRUE(manager->resume(kHashA));
  EXPECT_EQ(state_of(kHashA), ItemState::Transferring);
}

}  // namespace
}  // namespace dovel::download::test
