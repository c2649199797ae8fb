// The whole search client with scripted search servers and relays: the test
// plays the listed share servers, reading their queries and answering through
// the result sink as the own search responder would.
#include <gtest/gtest.h>

#include "support/eventually.h"
#include "support/fake_clock.h"
#include "search/fake_service_server.h"
#include "search/search_client.h"
#include "search/search_doubles.h"
#include "server/search_query.h"
#include "service/relay_messages.h"
#include "support/loopback_address.h"
#include "util/current_user.h"
#include "util/little_endian.h"
#include "wire/result_datagram.h"
#include "wire/search_datagram.h"

namespace dovel::search {
namespace {

using test::FakeServiceServer;
using test::QueryCatcher;
using test::RecordingObserver;
using Kind = RecordingObserver::Kind;

constexpr const char* kHash = "00112233445566778899aabbccddeeff";
constexpr const char* kOtherHash = "ffeeddccbbaa99887766554433221100";
constexpr platform::Tick kStart = 1000000;

service::ServerAddress listed(const service::Endpoint& endpoint) { return {endpoint.address, endpoint.port}; }

class SearchClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    service::SessionRecord record;
    record.identity.user_id = "seeker";
    session.set_record(record);
    own = {true, own_catcher.endpoint().address, own_catcher.endpoint().port};
    for (size_t i = 0; i < kSearchServers; ++i) endpoints.registration[i] = servers[i]->endpoint();
    endpoints.relay = {relay.endpoint(), relay.endpoint()};
    endpoints.bind_address = own.external_address;
    for (auto& server : servers) server->answer_peers({});
  }

  SearchClient& client() {
    if (!client_) {
      SearchContext context{endpoints, &session, &lists, &clock, [this] { return own; }, [this] { return settings; }, [] { return 0u; }, &observer};
      client_ = std::make_unique<SearchClient>(std::move(context));
    }
    return *client_;
  }

  uint32_t start(SearchRequest request = {"holiday movie"}) {
    const StartOutcome outcome = client().start(request);
    EXPECT_TRUE(outcome.number) << outcome.refusal;
    return outcome.number.value_or(0);
  }

  // The query a listed server received, read by the responders' own parser.
  static wire::SearchQuery query_at(const QueryCatcher& catcher) {
    std::optional<std::string> datagram = catcher.receive();
    EXPECT_TRUE(datagram) << "no query came";
    std::optional<wire::SearchQuery> query = datagram ? wire::parse_search_query(*datagram) : std::nullopt;
    EXPECT_TRUE(query);
    return query.value_or(wire::SearchQuery{});
  }

  // What a responder sends back: the query's number and time field (plus
  // `elapsed`), its address and port, then the records.
  static std::string answer_to(const wire::SearchQuery& query, const service::Endpoint& responder, const std::string& payload,
                               platform::Tick elapsed = 0) {
    wire::ResultHeader header{responder.address, responder.port, query.searcher_key, query.search_number, query.time_field + elapsed,
                                query.destination};
    return wire::build_result_datagram(header, payload);
  }

  void deliver(const std::string& datagram) { client().search_result_received(datagram, {}); }

  bool wait_rows(uint32_t number, size_t rows) {
    return dovel::test::eventually([&] {
      std::optional<ResultSnapshot> snapshot = client().results(number);
      return snapshot && snapshot->rows.size() >= rows;
    });
  }

  const platform::Ipv4 service_address = dovel::test::unique_loopback_address();
  const platform::Ipv4 peer_address = dovel::test::unique_loopback_address();
  std::array<std::unique_ptr<FakeServiceServer>, kSearchServers> servers = {std::make_unique<FakeServiceServer>(service_address),
                                                                            std::make_unique<FakeServiceServer>(service_address),
                                                                            std::make_unique<FakeServiceServer>(service_address)};
  FakeServiceServer relay{service_address};
  QueryCatcher own_catcher{dovel::test::unique_loopback_address()};
  QueryCatcher bob{peer_address};
  QueryCatcher carol{peer_address};
  service::ServiceEndpoints endpoints;
  service::ServiceSession session;
  test::ListedContent lists;
  dovel::test::FakeClock clock{kStart};
  test::RecordingObserver observer;
  OwnServer own;
  SearchSettings settings{0, 4};
  std::unique_ptr<SearchClient> client_;
};

TEST_F(SearchClientTest, QueriesGoToEveryListedServerButTheOwn) {
  servers[0]->answer_peers({listed(bob.endpoint()), listed(own_catcher.endpoint())});
  servers[2]->answer_peers({listed(carol.endpoint())});
  const uint32_t number = start({"holiday movie", "avi"});
  EXPECT_EQ(number, kStart) << "the number is the tick at the start";
  EXPECT_EQ(observer.count(Kind::Started, number), 1u);

  for (const QueryCatcher* catcher : {&bob, &carol}) {
    const wire::SearchQuery query = query_at(*catcher);
    EXPECT_EQ(query.words, (std::vector<std::string>{"holiday", "movie"}));
    EXPECT_EQ(query.extension, "avi");
    EXPECT_EQ(query.search_number, number);
    EXPECT_EQ(query.time_field, kStart);
    EXPECT_EQ(query.searcher_id, "seeker");
    EXPECT_TRUE(query.searcher_usable);
    EXPECT_EQ(query.reply_address, own.external_address);
    EXPECT_EQ(query.reply_port, own.share_port);
    EXPECT_EQ(query.searcher_key, wire::server_searcher_key(own.external_address, own.share_port));
  }
  ASSERT_TRUE(dovel::test::eventually([&] { return observer.count(Kind::SendingDone, number) == 1; }));
  EXPECT_FALSE(own_catcher.receive(0)) << "the own server got nothing";
  const SearchProgress progress = client().progress();
  EXPECT_EQ(progress.sent, 2u);
  EXPECT_EQ(progress.listed, 3u);
  EXPECT_EQ(progress.state, SearchState::SendingDone);
  EXPECT_FALSE(progress.relayed);
  EXPECT_TRUE(client().running()) << "receiving goes on until the stop";
  client().stop();
  EXPECT_FALSE(client().running());
  EXPECT_EQ(observer.count(Kind::Stopped, number), 1u);
}

TEST_F(SearchClientTest, HashListSearchSendsAHashQuery) {
  servers[1]->answer_peers({listed(bob.endpoint())});
  start({"", "", false, {kHash, kOtherHash}});
  std::optional<std::string> datagram = bob.receive();
  ASSERT_TRUE(datagram);
  EXPECT_EQ(datagram->size(), wire::kHashQueryDatagramSize);
  std::optional<wire::SearchQuery> query = wire::parse_search_query(*datagram);
  ASSERT_TRUE(query);
  EXPECT_EQ(query->hashes, (std::vector<std::string>{kHash, kOtherHash}));
}

TEST_F(SearchClientTest, ResultsGroupByHashWithTheFastestResponse) {
  servers[0]->answer_peers({listed(bob.endpoint()), listed(carol.endpoint())});
  const uint32_t number = start();
  const wire::SearchQuery to_bob = query_at(bob);
  const wire::SearchQuery to_carol = query_at(carol);
  clock.advance_ms(300);
  deliver(answer_to(to_bob, bob.endpoint(), "bob*holiday movie.avi|700|" + std::string(kHash) + "|1|1*holiday|0||0|1|photos|2*"));
  deliver(answer_to(to_carol, carol.endpoint(), "carol*holiday movie (copy).avi|700|" + std::string(kHash) + "|1|1*", 200));
  ASSERT_TRUE(wait_rows(number, 2));
  ASSERT_TRUE(dovel::test::eventually([&] { return client().results(number)->rows[0].sources.size() == 2; }));
  const ResultSnapshot snapshot = *client().results();
  EXPECT_EQ(snapshot.number, number);
  ASSERT_EQ(snapshot.rows.size(), 2u);
  const ResultRow& movie = snapshot.rows[0];
  EXPECT_EQ(movie.name, "holiday movie.avi");
  EXPECT_EQ(movie.size, 700);
  EXPECT_EQ(movie.fastest_ms, 100u) << "carol's answer took 100 ms of the 300";
  EXPECT_EQ(movie.sources[0].responder_id, "bob");
  EXPECT_EQ(movie.sources[0].server, bob.endpoint());
  EXPECT_EQ(movie.sources[0].response_ms, 300u);
  EXPECT_EQ(movie.sources[1].server, carol.endpoint());
  const ResultRow& folder = snapshot.rows[1];
  EXPECT_EQ(folder.file_type, 0);
  EXPECT_EQ(folder.sources[0].path, "photos");
  EXPECT_EQ(folder.sources[0].share_index, 2);
  EXPECT_GE(observer.count(Kind::ResultsChanged, number), 1u);
}

TEST_F(SearchClientTest, ResponseTimesAreTakenModulo2To32) {
  clock.set_tick(5);
  servers[0]->answer_peers({listed(bob.endpoint())});
  const uint32_t number = start();
  wire::SearchQuery query = query_at(bob);
  query.time_field = 0xFFFFFFF0;  // the responder's clock ran past the wrap
  deliver(answer_to(query, bob.endpoint(), "bob*a.avi|1|" + std::string(kHash) + "|1|1*"));
  ASSERT_TRUE(wait_rows(number, 1));
  EXPECT_EQ(client().results()->rows[0].fastest_ms, 21u);
}

TEST_F(SearchClientTest, StaleAndMalformedResultsAreIgnoredAndTheSearchGoesOn) {
  servers[0]->answer_peers({listed(bob.endpoint())});
  const uint32_t number = start();
  const wire::SearchQuery query = query_at(bob);
  wire::SearchQuery stale = query;
  stale.search_number = number - 1;
  std::string bad_check = answer_to(query, bob.endpoint(), "bob*bad check.avi|1|" + std::string(kHash) + "|1|1*");
  bad_check[0] ^= 1;
  deliver(answer_to(stale, bob.endpoint(), "bob*stale.avi|1|" + std::string(kHash) + "|1|1*"));
  deliver(bad_check);
  deliver(answer_to(query, bob.endpoint(), "sixteen-letters!*no id.avi|1|" + std::string(kHash) + "|1|1*"));
  deliver(answer_to(query, bob.endpoint(), "bob*three|fields|only*good.avi|5|" + std::string(kHash) + "|1|1*size.avi|5x||1|1|a|0*"));
  ASSERT_TRUE(wait_rows(number, 1));
  const ResultSnapshot snapshot = *client().results();
  ASSERT_EQ(snapshot.rows.size(), 1u);
  EXPECT_EQ(snapshot.rows[0].name, "good.avi");
}

TEST_F(SearchClientTest, ANewSearchReplacesTheRunningOne) {
  servers[0]->answer_peers({listed(bob.endpoint())});
  const uint32_t first = start({"first"});
  const wire::SearchQuery first_query = query_at(bob);
  const uint32_t second = start({"second"});
  EXPECT_NE(second, first) << "even within the same millisecond";
  EXPECT_EQ(observer.count(Kind::Stopped, first), 1u);
  const wire::SearchQuery second_query = query_at(bob);
  EXPECT_EQ(second_query.words, (std::vector<std::string>{"second"}));

  deliver(answer_to(first_query, bob.endpoint(), "bob*late.avi|1|" + std::string(kOtherHash) + "|1|1*"));
  deliver(answer_to(second_query, bob.endpoint(), "bob*second.avi|1|" + std::string(kHash) + "|1|1*"));
  ASSERT_TRUE(wait_rows(second, 1));
  EXPECT_EQ(client().results()->rows.size(), 1u);
  EXPECT_EQ(client().results()->rows[0].name, "second.avi");
  EXPECT_TRUE(client().results(first)) << "the first search's tab stays";
  EXPECT_TRUE(client().results(first)->rows.empty());
}

TEST_F(SearchClientTest, AdultResultsAreHiddenFromUsersWhoAreNotAdult) {
  servers[0]->answer_peers({listed(bob.endpoint())});
  const uint32_t number = start();
  const wire::SearchQuery query = query_at(bob);
  EXPECT_EQ(query.searcher_id, "seeker");
  deliver(answer_to(query, bob.endpoint(), "bob*night.avi|1|" + std::string(kOtherHash) + "|1|5*day.avi|1|" + std::string(kHash) + "|1|1*"));
  ASSERT_TRUE(wait_rows(number, 1));
  ASSERT_EQ(client().results()->rows.size(), 1u);
  EXPECT_EQ(client().results()->rows[0].name, "day.avi");
}

TEST_F(SearchClientTest, SendingDoneSortsByTheAutoSortColumn) {
  settings.auto_sort_index = 1;  // 크기
  servers[0]->answer_peers({listed(bob.endpoint())});
  servers[2]->hold_answers();
  const uint32_t number = start();
  // The number is known (the clock stands still), so answers can come before
  // the last list is in and the sending done.
  wire::SearchQuery query;
  query.search_number = number;
  query.time_field = kStart;
  query.destination = wire::kSearchWindowDestination;
  deliver(answer_to(query, bob.endpoint(), "bob*small.avi|10|" + std::string(kHash) + "|1|1*big.avi|20|" + std::string(kOtherHash) + "|1|1*"));
  ASSERT_TRUE(wait_rows(number, 2));
  EXPECT_EQ(client().results()->rows[0].name, "small.avi") << "in the order of arrival while sending";
  EXPECT_FALSE(client().results()->order);
  EXPECT_EQ(observer.count(Kind::SendingDone), 0u);
  servers[2]->release();
  ASSERT_TRUE(dovel::test::eventually([&] { return observer.count(Kind::SendingDone, number) == 1; }));
  const ResultSnapshot sorted = *client().results();
  EXPECT_EQ(sorted.rows[0].name, "big.avi");
  EXPECT_EQ(sorted.order, (SortOrder{SortColumn::Size, false}));
  EXPECT_EQ(client().sort_latest(SortColumn::Size), (SortOrder{SortColumn::Size, true}));
  EXPECT_EQ(client().results()->rows[0].name, "small.avi");
  client().clear_latest();
  EXPECT_TRUE(client().results()->rows.empty());
}

TEST_F(SearchClientTest, ASearchWithoutListedServersEndsAtOnce) {
  const uint32_t number = start();
  ASSERT_TRUE(dovel::test::eventually([&] { return observer.count(Kind::Stopped, number) == 1; }));
  EXPECT_FALSE(client().running());
  EXPECT_EQ(client().progress().state, SearchState::Stopped);
  client().stop();
  EXPECT_EQ(observer.count(Kind::Stopped, number), 1u) << "told once";
}

TEST_F(SearchClientTest, WithoutAUsableServerTheQueriesNameTheRelay) {
  own.usable = false;
  std::string ticket;
  util::append_u16(ticket, 0x9001);
  relay.answer(ticket, FakeServiceServer::After::Hold);
  servers[0]->answer_peers({listed(bob.endpoint())});
  start();
  const wire::SearchQuery query = query_at(bob);
  EXPECT_FALSE(query.searcher_usable);
  EXPECT_EQ(query.searcher_key, wire::relay_searcher_key(0x9001));
  EXPECT_EQ(query.reply_address, relay.endpoint().address);
  EXPECT_EQ(query.reply_port, relay.endpoint().port);
  EXPECT_TRUE(client().progress().relayed);
  ASSERT_EQ(relay.requests().size(), 1u);
  EXPECT_EQ(relay.requests()[0].payload, service::build_ticket_request(own.external_address, own.share_port));
}

TEST_F(SearchClientTest, AFailedRelayEndsTheSearch) {
  own.usable = false;
  relay.answer("");
  servers[0]->answer_peers({listed(bob.endpoint())});
  const uint32_t number = start();
  ASSERT_TRUE(dovel::test::eventually([&] { return observer.count(Kind::Stopped, number) == 1; }));
  EXPECT_FALSE(bob.receive(0)) << "no query without a way back";
}

TEST_F(SearchClientTest, StopEndsAListFetchThatHangs) {
  servers[0]->answer("", FakeServiceServer::After::Hold);
  const uint32_t number = start();
  ASSERT_TRUE(dovel::test::eventually([&] { return servers[0]->requests().size() == 1; }));
  EXPECT_EQ(client().progress().state, SearchState::FetchingLists);
  client().stop();
  EXPECT_EQ(client().progress().state, SearchState::Stopped);
  EXPECT_EQ(observer.count(Kind::Stopped, number), 1u);
  EXPECT_EQ(servers[1]->connections(), 0) << "the other lists were not asked for after the stop";
}

TEST_F(SearchClientTest, RefusedInputIsToldToTheUser) {
  const StartOutcome outcome = client().start({"a"});
  EXPECT_FALSE(outcome.number);
  EXPECT_EQ(outcome.refusal, "검색어는 최소 2자이상 되어야 합니다.");
  ASSERT_EQ(observer.count(Kind::Message), 1u);
  EXPECT_EQ(observer.events().back().text, outcome.refusal);
  EXPECT_EQ(servers[0]->connections(), 0);
}

TEST_F(SearchClientTest, TheGuestLogsInFirst) {
  service::SessionRecord guest;
  guest.identity.user_id = std::string(util::kGuestUserId);
  session.set_record(guest);
  const StartOutcome outcome = client().start({"holiday"});
  EXPECT_FALSE(outcome.number);
  EXPECT_TRUE(outcome.needs_login);
  session.clear();
  EXPECT_TRUE(client().start({"holiday"}).needs_login);
  EXPECT_EQ(servers[0]->connections(), 0);
}

}  // namespace
}  // namespace dovel::search
