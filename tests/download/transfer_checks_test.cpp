// What a run decides before and after its connections: the checks, the paid
// state and points, the archive check, the sources from the file index, the
// charges handed over.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "download/download_records.h"
#include "download/received_ranges.h"
#include "download/source_lookup.h"
#include "service/file_index_messages.h"
#include "transfer_fixture.h"

namespace dovel::download::test {
namespace {

namespace fs = std::filesystem;

class ScriptedContent final : public PaidContent {
 public:
  std::optional<int> paid_state(const service::SessionIdentity&, const std::string&) override { return state; }
  int check_allowance(int64_t megabytes) override {
    asked = megabytes;
    return allowance;
  }
  bool charge_paid_download(const service::SessionIdentity&, const std::string&) override { return charge; }
  bool paid_download_confirmed(const std::string&) override { return confirmed; }

  std::optional<int> state = kFreeFile;
  int allowance = 1;
  bool charge = true;
  bool confirmed = true;
  int64_t asked = 0;
};

class ListedFilter final : public ContentFilter {
 public:
  bool forbidden_file(const std::string& hash) override { return hash == file; }
  bool forbidden_name(const std::string& name) override { return name == this->name; }
  std::string file;
  std::string name;
};

class Reported final : public FalseReports {
 public:
  bool stop_for_false_reports(const std::string&) override { return true; }
};

class ForbiddingArchive final : public share::ArchiveChecker {
 public:
  share::ArchiveVerdict check_archive(const fs::path&, bool) override { return share::ArchiveVerdict::Forbidden; }
};

using TransferChecksTest = TransferFixture;

TEST_F(TransferChecksTest, ChecksBeforeTheTransferStopTheItemWithTheirStatus) {
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(12 * kMiB + 5, 1);
  const std::string hash = server.share_file("", "big.bin", content);
  struct Case {
    const char* name;
    std::function<void(ScriptedContent&, ListedFilter&)> setup;
    bool reported;
    int status;
  };
  const Case cases[] = {
      {"forbidden file", [&](ScriptedContent&, ListedFilter& f) { f.file = hash; }, false, 16},
      {"false reports", [](ScriptedContent&, ListedFilter&) {}, true, 18},
      {"paid state unknown", [](ScriptedContent& p, ListedFilter&) { p.state = std::nullopt; }, false, 21},
      {"paid state negative", [](ScriptedContent& p, ListedFilter&) { p.state = 0xFF; }, false, 21},
      {"point service error", [](ScriptedContent& p, ListedFilter&) { p.allowance = -1; }, false, 21},
      {"points short", [](ScriptedContent& p, ListedFilter&) { p.allowance = 0; }, false, 22},
      {"balance short", [](ScriptedContent& p, ListedFilter&) { p.state = kPaidBalanceShort; }, false, 42},
      {"paid, not confirmed", [](ScriptedContent& p, ListedFilter&) {
         p.state = kPaidFile;
         p.confirmed = false;
       },
       false, 41},
      {"paid, charge failed", [](ScriptedContent& p, ListedFilter&) {
         p.state = kPaidFile;
         p.charge = false;
       },
       false, 21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedContent scripted;
    ListedFilter listed;
    Reported reported;
    c.setup(scripted, listed);
    context.paid = &scripted;
    context.filter = &listed;
    context.false_reports = c.reported ? &reported : nullptr;
    int shortages = 0;
    int tabs = 0;
    context.hooks.point_shortage = [&] { ++shortages; };
    context.hooks.show_download_tab = [&] { ++tabs; };
    runner.reset();
    auto item = make_item(hash, "big.bin", static_cast<int64_t>(content.size()), {source_of(server)});
    run_to_end(item);
    EXPECT_EQ(item->current_state(), ItemState::Stopped);
    EXPECT_EQ(item->status_code, c.status);
    EXPECT_EQ(shortages, c.status == 22 ? 1 : 0);
    EXPECT_EQ(tabs, c.status == 41 ? 1 : 0);
    if (c.status == 22) {
      EXPECT_EQ(scripted.asked, 2);  // 12 MiB missing, the first 10 free
    }
    runner.reset();
  }
  EXPECT_EQ(server.meter.uploaded_bytes, 0u);
}

TEST_F(TransferChecksTest, ThePrivilegedSkipTheListsAndThePaidState) {
  service::SessionRecord record = client.session.record();
  record.transfer_flag = 1;
  client.session.set_record(record);
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(200000, 2);
  const std::string hash = server.share_file("", "free.bin", content);
  ListedFilter listed;
  listed.file = hash;
  listed.name = "free.bin";
  ScriptedContent scripted;
  scripted.state = std::nullopt;
  context.filter = &listed;
  context.paid = &scripted;
  auto item = make_item(hash, "free.bin", static_cast<int64_t>(content.size()), {source_of(server)});
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
}

TEST_F(TransferChecksTest, AForbiddenNameEndsTheConnectionUnlessTheOwnerIsAFriend) {
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(200000, 3);
  const std::string hash = server.share_file("", "banned.bin", content);
  ListedFilter listed;
  listed.name = "banned.bin";
  context.filter = &listed;
  auto item = make_item(hash, "banned.bin", static_cast<int64_t>(content.size()), {source_of(server)});
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Stopped);
  EXPECT_EQ(item->status_code, 16);

  server.friends.set_entries({{"downloader", "받는이"}});
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
}

TEST_F(TransferChecksTest, AnArchiveWithForbiddenEntriesIsDeletedWithItsRecords) {
  ForbiddingArchive forbidding;
  context.archive = &forbidding;
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(200000, 4);
  const std::string hash = server.share_file("", "packed.zip", content);
  auto item = make_item(hash, "packed.zip", static_cast<int64_t>(content.size()), {source_of(server)});
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Stopped);
  EXPECT_EQ(item->status_code, 39);
  EXPECT_EQ(item->received, 0);
  EXPECT_FALSE(fs::exists(download_folder() / "_DTEMP_" / "[DOVEL]packed.zip"));
  EXPECT_FALSE(fs::exists(download_folder() / "packed.zip"));
  EXPECT_TRUE(load_ranges(client.databases.info, hash).empty());
  EXPECT_TRUE(load_sources(client.databases.info, hash).empty());
  EXPECT_NE(log_text(util::kSystemLog).find("'packed.zip'파일은 전송금지확장자가 포함되어 있는 압축파일입니다. 다운로드를 중지합니다."),
            std::string::npos);
}

TEST_F(TransferChecksTest, SourcesComeFromTheFileIndexWithoutTheClientsOwnServer) {
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(300000, 5);
  const std::string hash = server.share_file("", "found.bin", content);
  const uint16_t own_port = static_cast<uint16_t>(client.settings.values().share_port);
  FakeServiceEndpoint index([&](const service::Frame&) {
    return service::build_source_reply(hash, {{client.address(), own_port}, {server.address(), server.port()}});
  });
  context.endpoints.source_lookup = {index.endpoint(), nowhere_endpoint(), nowhere_endpoint()};
  auto item = make_item(hash, "found.bin", static_cast<int64_t>(content.size()), {});
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
  ASSERT_EQ(item->sources.size(), 1u);
  EXPECT_TRUE(item->sources[0].same_server(source_of(server)));
  ASSERT_EQ(index.frames().size(), 1u);
  EXPECT_EQ(index.frames()[0].type, service::kSourceLookupType);

  // Within the minute the index is not asked again for the same file.
  auto again = make_item(hash, "found-again.bin", static_cast<int64_t>(content.size()), {});
  run_to_end(again);
  EXPECT_EQ(again->status_code, 9);
  EXPECT_EQ(index.frames().size(), 1u);
}

TEST_F(TransferChecksTest, BeyondTheFreeTenMegabytesTheServingOwnerIsCharged) {
  std::vector<std::pair<std::string, int64_t>> tallies;
  int refreshes = 0;
  context.hooks.add_upload_tally = [&](const std::string& key, int64_t megabytes) { tallies.emplace_back(key, megabytes); };
  context.hooks.refresh_points = [&] { ++refreshes; };
  SharePeer& server = add_server("owner-a");
  const std::string content = pattern(12 * kMiB + 100, 6);
  const std::string hash = server.share_file("", "charged.bin", content);
  auto item = make_item(hash, "charged.bin", static_cast<int64_t>(content.size()), {source_of(server)});
  run_to_end(item);
  EXPECT_EQ(item->current_state(), ItemState::Finished);
  EXPECT_EQ(tallies, (std::vector<std::pair<std::string, int64_t>>{{"tokenB-owner-a", 2}}));
  EXPECT_EQ(refreshes, 1);
}

TEST(SourceLookupTest, NewSourcesAreAppendedOnceAndLookUpsSpacedPerFile) {
  std::vector<Source> sources{{1, 10, "a"}};
  EXPECT_EQ(append_new_sources(sources, {{1, 10, ""}, {2, 10, ""}, {1, 11, ""}, {2, 10, ""}}), 2u);
  ASSERT_EQ(sources.size(), 3u);
  EXPECT_EQ(sources[0].peer_id, "a");

  SourceLookupSchedule schedule(60000);
  EXPECT_TRUE(schedule.take("ABC", 1000));
  EXPECT_FALSE(schedule.take("abc", 60999));
  EXPECT_TRUE(schedule.take("other", 2000));
  EXPECT_TRUE(schedule.take("abc", 61000));
}

}  // namespace
}  // namespace dovel::download::test
