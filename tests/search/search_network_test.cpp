// Searches between copies of the program and the stand-in service, in-process
// on loopback: each copy on an address of its own with its search responder
// registered, the searcher's results coming to its own responder or through
// the service's relay. UDP may drop a datagram: a search that does not find
// what it should within its time is made again.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "central/central_service.h"
#include "support/eventually.h"
#include "search/search_client.h"
#include "search/search_doubles.h"
#include "search/sharing_client.h"
#include "settings/shared_folder.h"
#include "support/loopback_address.h"
#include "support/temp_folder.h"
#include "util/log_files.h"

namespace dovel::search {
namespace {

using namespace std::chrono_literals;
using test::RecordingObserver;

constexpr const char* kMovie = "0a1b2c3d4e5f60718293a4b5c6d7e8f9";
constexpr const char* kNotes = "1111111111111111111111111111aaaa";
constexpr const char* kOwn = "2222222222222222222222222222bbbb";
constexpr const char* kNight = "3333333333333333333333333333cccc";
constexpr int kAttempts = 3;

const ResultRow* row_of(const ResultSnapshot& snapshot, std::string_view hash) {
  for (const ResultRow& row : snapshot.rows) {
    if (row.hash == hash) return &row;
  }
  return nullptr;
}

size_t sources_of(const ResultSnapshot& snapshot, std::string_view hash) {
  const ResultRow* row = row_of(snapshot, hash);
  return row != nullptr ? row->sources.size() : 0;
}

class SearchNetworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::ConfigureLogFiles(logs.path(), platform::system_clock());
    central::CentralConfig config;
    config.home = central_home.path();
    config.service = service::ServiceConfig::defaults();
    config.service.host_a = config.service.host_b = dovel::test::unique_loopback_address();
    config.service.web_base = service::web_base_on(config.service.host_a);
    central = std::make_unique<central::CentralService>(config);
    for (const char* id : {"bob", "carol", "seeker"}) {
      ASSERT_EQ(central->accounts().add({id, "pw", id, 1, false}), central::AccountStore::Change::Done);
    }
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
    const service::ServiceEndpoints endpoints = config.service.endpoints();
    bob = std::make_unique<test::SharingClient>(endpoints, dovel::test::unique_loopback_address());
    carol = std::make_unique<test::SharingClient>(endpoints, dovel::test::unique_loopback_address());
    seeker = std::make_unique<test::SharingClient>(endpoints, dovel::test::unique_loopback_address());

    bob->share({{"영화", settings::SHARE_READ}});
    bob->insert({{.name = "holiday movie", .extension = "avi", .hash = kMovie, .size = 734003200},
                 {.name = "holiday photos", .file_type = 0, .size = 0}});
    carol->share({{"films", settings::SHARE_READ}, {"late", settings::SHARE_READ | settings::SHARE_ADULT}});
    carol->insert({{.name = "holiday movie copy", .extension = "avi", .hash = kMovie, .size = 734003200},
                   {.name = "holiday notes", .extension = "txt", .hash = kNotes, .size = 2048},
                   {.name = "holiday night", .extension = "avi", .hash = kNight, .size = 5000, .shared_index = 1, .right = 5}});
    seeker->share({{"mine", settings::SHARE_READ}});
    seeker->insert({{.name = "holiday own", .extension = "avi", .hash = kOwn}});

    SearchContext context;
    context.endpoints = seeker->endpoints();
    context.session = &seeker->session();
    context.lists = &lists;
    context.own_server = [this] { return OwnServer{own_usable, seeker->address(), seeker->port()}; };
    context.settings = [] { return SearchSettings{0, 1}; };
    context.observer = &observer;
    client = std::make_unique<SearchClient>(std::move(context));

    bob->start_responder(dropped);
    carol->start_responder(dropped);
    seeker->start_responder(*client);
    ASSERT_TRUE(bob->log_in_and_register("bob", "pw", 0));
    ASSERT_TRUE(carol->log_in_and_register("carol", "pw", 1));
    ASSERT_TRUE(seeker->log_in_and_register("seeker", "pw", 2));
  }

  void TearDown() override {
    // The responder hands results to the client: it stops first.
    if (seeker) seeker->stop_responder();
    client.reset();
  }

  // Searches until the results satisfy `found`, starting again when a datagram
  // may have been lost; the results of the last search made.
  ResultSnapshot search_until(const SearchRequest& request, const std::function<bool(const ResultSnapshot&)>& found) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      const StartOutcome outcome = client->start(request);
      EXPECT_TRUE(outcome.number) << outcome.refusal;
      if (!outcome.number) return {};
      last_number = *outcome.number;
      if (dovel::test::eventually([&] { return found(*client->results(last_number)); }, 15s)) break;
    }
    return *client->results(last_number);
  }

  dovel::test::TempFolder logs;
  dovel::test::TempFolder central_home;
  std::unique_ptr<central::CentralService> central;
  wire::DroppedSearchResults dropped;
  std::unique_ptr<test::SharingClient> bob;
  std::unique_ptr<test::SharingClient> carol;
  std::unique_ptr<test::SharingClient> seeker;
  PassingSearchContentLists lists;
  RecordingObserver observer;
  bool own_usable = true;
  std::unique_ptr<SearchClient> client;
  uint32_t last_number = 0;
};

TEST_F(SearchNetworkTest, KeywordSearchFindsTheFilesOfOtherServersGroupedByHash) {
  const ResultSnapshot found = search_until({"holiday"}, [](const ResultSnapshot& snapshot) {
    return sources_of(snapshot, kMovie) == 2 && sources_of(snapshot, kNotes) == 1 && snapshot.rows.size() >= 3;
  });
  const ResultRow* movie = row_of(found, kMovie);
  ASSERT_NE(movie, nullptr);
  ASSERT_EQ(movie->sources.size(), 2u);
  EXPECT_EQ(movie->size, 734003200);
  for (const ResultSource& source : movie->sources) {
    if (source.responder_id == "bob") {
      EXPECT_EQ(source.server, bob->endpoint());
      EXPECT_EQ(source.name, "holiday movie.avi");
    } else {
      EXPECT_EQ(source.responder_id, "carol");
      EXPECT_EQ(source.server, carol->endpoint());
      EXPECT_EQ(source.name, "holiday movie copy.avi");
    }
  }
  bool folder_found = false;
  for (const ResultRow& row : found.rows) folder_found = folder_found || (row.name == "holiday photos" && row.file_type == 0);
  EXPECT_TRUE(folder_found);
  EXPECT_EQ(row_of(found, kOwn), nullptr) << "the searcher's own files are not asked for";
  EXPECT_EQ(row_of(found, kNight), nullptr) << "carol's other rows came, her adult one is hidden";

  ASSERT_TRUE(dovel::test::eventually([&] { return observer.count(RecordingObserver::Kind::SendingDone, last_number) == 1; }));
  const SearchProgress progress = client->progress();
  EXPECT_EQ(progress.listed, 3u);
  EXPECT_EQ(progress.sent, 2u) << "the own server's entry was skipped";
  EXPECT_EQ(client->results(last_number)->order, (SortOrder{SortColumn::Size, false})) << "sorted by AutoSort once sending was done";
}

TEST_F(SearchNetworkTest, HashSearchesFindEverySource) {
  ResultSnapshot found = search_until({kMovie, "", true}, [](const ResultSnapshot& snapshot) { return sources_of(snapshot, kMovie) == 2; });
  EXPECT_EQ(sources_of(found, kMovie), 2u);
  EXPECT_EQ(found.rows.size(), 1u);

  found = search_until({"", "", false, {kMovie, kNotes}}, [](const ResultSnapshot& snapshot) {
    return sources_of(snapshot, kMovie) == 2 && sources_of(snapshot, kNotes) == 1;
  });
  EXPECT_EQ(sources_of(found, kMovie), 2u);
  EXPECT_EQ(sources_of(found, kNotes), 1u);
}

TEST_F(SearchNetworkTest, AdultResultsReachOnlyAdultUsers) {
  // Carol's notes and her adult file travel in one answer: when the notes are
  // there, the adult file was hidden, not lost.
  ResultSnapshot found = search_until({"holiday"}, [](const ResultSnapshot& snapshot) { return sources_of(snapshot, kNotes) == 1; });
  ASSERT_EQ(sources_of(found, kNotes), 1u);
  EXPECT_EQ(row_of(found, kNight), nullptr);

  service::SessionRecord record = seeker->session().record();
  record.is_adult = 1;
  seeker->session().set_record(record);
  found = search_until({"holiday"}, [](const ResultSnapshot& snapshot) { return sources_of(snapshot, kNight) == 1; });
  EXPECT_EQ(sources_of(found, kNight), 1u);
}

TEST_F(SearchNetworkTest, WithoutAUsableServerResultsComeThroughTheRelay) {
  own_usable = false;
  const ResultSnapshot found = search_until({"holiday"}, [](const ResultSnapshot& snapshot) {
    return sources_of(snapshot, kMovie) == 2 && sources_of(snapshot, kNotes) == 1;
  });
  EXPECT_EQ(sources_of(found, kMovie), 2u);
  EXPECT_EQ(sources_of(found, kNotes), 1u);
  EXPECT_TRUE(client->progress().relayed);
  EXPECT_NE(dovel::test::read_file(central->request_log_file()).find("forwarded to ticket"), std::string::npos);
}

}  // namespace
}  // namespace dovel::search
