// The search responder over real UDP on loopback, with a test peer on each side.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "support/eventually.h"
#include "search_responder_fixture.h"
#include "util/last_error.h"

namespace dovel::server {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;
using Records = std::vector<std::vector<std::string>>;

std::vector<std::string> names_of(const Records& records) {
  std::vector<std::string> names;
  for (const auto& record : records) names.push_back(record.at(0));
  std::sort(names.begin(), names.end());
  return names;
}

std::string hash_of(int n) {
  char text[33];
  std::snprintf(text, sizeof text, "%032x", n);
  return text;
}

// A list-change notice of the service: the check byte and the type alone.
std::string notice(uint8_t type) { return std::string{static_cast<char>(service::search_check_byte(type)), static_cast<char>(type)}; }

size_t bytes_of(const std::vector<std::string>& datagrams) {
  size_t bytes = 0;
  for (const std::string& datagram : datagrams) bytes += datagram.size();
  return bytes;
}

class SearchResponderTest : public SearchResponderFixture {
 protected:
  // Rows enough for six full datagrams and more: each "page" answer datagram
  // comes close to 1 KiB.
  static std::vector<Row> page_rows() {
    std::vector<Row> rows;
    for (int i = 0; i < 400; ++i) rows.push_back({.name = "page file " + std::to_string(i), .extension = "dat", .hash = hash_of(i + 1)});
    return rows;
  }
};

TEST_F(SearchResponderTest, KeywordQueriesAnswerWhatLikeMatches) {
  insert({
      {.name = "Love Song Live", .extension = "mp3"},
      {.name = "lovesong", .extension = "mp3"},
      {.name = "song of LOVE", .extension = "mp3"},
      {.name = "love song", .extension = "wav"},
      {.name = "Love only", .extension = "mp3"},
      {.name = "Love Folder", .file_type = 0},
      {.name = "사랑 노래", .extension = "mp3"},
      {.name = "첫사랑", .extension = "avi"},
      {.name = "랑데부", .file_type = 0},
      {.name = "100% pure", .extension = "avi"},
      {.name = "1000 pure", .extension = "avi"},
      {.name = "a_b", .extension = "txt"},
      {.name = "axb", .extension = "txt"},
      {.name = "back\\slash", .extension = "txt"},
      {.name = "o'neil \"quoted\"", .extension = "txt"},
  });
  start();

  struct Case {
    std::string text;  // UTF-8; 0x01 between words, 0x02 before the extension
    std::vector<std::string> names;
  };
  const std::vector<Case> cases = {
      {"love\x01song\x02mp3", {"Love Song Live.mp3", "lovesong.mp3", "song of LOVE.mp3"}},
      {"LOVE", {"Love Folder", "Love Song Live.mp3", "Love only.mp3", "love song.wav", "lovesong.mp3", "song of LOVE.mp3"}},
      {"love\x02", {"Love Folder"}},  // an empty extension asks for rows without one
      {"사랑\x01노래", {"사랑 노래.mp3"}},
      {"랑", {"랑데부", "사랑 노래.mp3", "첫사랑.avi"}},
      {"100%", {"100% pure.avi"}},
      {"a_b", {"a_b.txt"}},
      {"k\\s", {"back\\slash.txt"}},
      {"o'neil \"quoted\"", {"o'neil \"quoted\".txt"}},
      {"song\x01\x01live", {"Love Song Live.mp3"}},  // an empty word adds nothing
      {"nothing here", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    if (c.names.empty()) {
      expect_no_answer(cp949(c.text));
    } else {
      EXPECT_EQ(names_of(search(cp949(c.text))), c.names);
    }
  }
}

TEST_F(SearchResponderTest, RecordsCarryTheRowAndPathAndIndexWhenThereIsNoHash) {
  set_shares({{"공유", settings::SHARE_READ}, {"둘째", settings::SHARE_READ | settings::SHARE_ADULT}});
  const std::string hash = hash_of(7);
  insert({
      {.name = "dup movie", .extension = "avi", .hash = hash, .size = 734003200, .path = "a", .right = 1, .shared_index = 0},
      {.name = "dup movie", .extension = "avi", .hash = hash, .size = 734003200, .path = "b", .right = 5, .shared_index = 1},
      {.name = "dup movie", .extension = "avi", .size = 12, .path = "영화\\새 폴더", .right = 1, .shared_index = 0},
      {.name = "dup movie", .extension = "avi", .size = 12, .path = "", .right = 5, .shared_index = 1},
      {.name = "dup movie folder", .file_type = 0, .size = 0, .path = "x", .right = 1},
  });
  start();

  Records records = search("dup");
  std::sort(records.begin(), records.end());
  EXPECT_THAT(records, ElementsAre(ElementsAre("dup movie folder", "0", "", "0", "1", "x", "0"),
                                   ElementsAre("dup movie.avi", "12", "", "1", "1", "영화\\새 폴더", "0"),
                                   ElementsAre("dup movie.avi", "12", "", "1", "5", "", "1"),
                                   ElementsAre("dup movie.avi", "734003200", hash, "1", "1")));
}

TEST_F(SearchResponderTest, FriendOnlyRowsOnlyForFriendsAndSecretRowsNever) {
  set_shares({{"공유", settings::SHARE_READ}, {"친구", settings::SHARE_FRIEND}, {"비밀", settings::SHARE_SECRET}, {"옛비밀", settings::SHARE_SECRET}});
  insert({
      {.name = "public file", .right = 1, .shared_index = 0},
      {.name = "friend file", .right = 8, .shared_index = 1},
      {.name = "secret file", .right = 16, .shared_index = 2},
      // Stored before the folder became secret: its current flags count.
      {.name = "now secret file", .right = 1, .shared_index = 3},
      // Stored with the secret flag in a folder that is no longer secret.
      {.name = "stored secret file", .right = 17, .shared_index = 0},
      // Its share is gone.
      {.name = "orphan file", .right = 1, .shared_index = 9},
  });
  start();

  EXPECT_EQ(names_of(search("file")), (std::vector<std::string>{"public file"}));
  EXPECT_EQ(names_of(search("file", {.searcher_id = "pal"})), (std::vector<std::string>{"friend file", "public file"}));
}

TEST_F(SearchResponderTest, FiveWordsAreAnsweredSixAreNot) {
  insert({{.name = "a b c d e f"}});
  start();
  EXPECT_EQ(names_of(search("a\x01" "b\x01" "c\x01" "d\x01" "e")), (std::vector<std::string>{"a b c d e f"}));

  expect_no_answer("a\x01" "b\x01" "c\x01" "d\x01" "e\x01" "f");
}

TEST_F(SearchResponderTest, HashQueriesFindEveryListedHashInSearchableRowsOnly) {
  set_shares({{"공유", settings::SHARE_READ}, {"친구", settings::SHARE_FRIEND}});
  insert({
      {.name = "one", .extension = "bin", .hash = hash_of(1)},
      {.name = "two", .extension = "bin", .hash = hash_of(2)},
      {.name = "two again", .extension = "bin", .hash = hash_of(2), .path = "copy"},
      {.name = "hidden", .extension = "bin", .hash = hash_of(3), .right = 8, .shared_index = 1},
      {.name = "secret", .extension = "bin", .hash = hash_of(4), .right = 16},
  });
  start();

  std::string upper = hash_of(1);
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  upper.replace(0, 3, "ABC");  // not one of ours: nothing for it
  UdpPeer peer;
  send(peer, hash_query({hash_of(2), hash_of(1), hash_of(3), hash_of(4), upper}, peer.endpoint()));
  EXPECT_EQ(names_of(records_of(answers(peer))), (std::vector<std::string>{"one.bin", "two.bin"}));

  std::string mixed_case = hash_of(0xabc);
  insert({{.name = "cased", .extension = "bin", .hash = mixed_case}});
  std::transform(mixed_case.begin(), mixed_case.end(), mixed_case.begin(), ::toupper);
  send(peer, hash_query({mixed_case}, peer.endpoint()));
  EXPECT_EQ(names_of(records_of(answers(peer))), (std::vector<std::string>{"cased.bin"}));

  // The third field of a keyword query.
  send(peer, keyword_query(std::string("\x02\x02") + hash_of(1), peer.endpoint()));
  EXPECT_EQ(names_of(records_of(answers(peer))), (std::vector<std::string>{"one.bin"}));
}

TEST_F(SearchResponderTest, AnswersStopAtThreeOrSixDatagrams) {
  insert(page_rows());
  clock.set_step(3);
  start();
  // Both searchers are on 127.0.0.1, which then has asked before: whole answers.
  UdpPeer introduced;
  expect_only_probe_answered(introduced);

  struct Case {
    bool usable;
    size_t datagrams;
  };
  for (const Case c : {Case{false, 3}, Case{true, 6}}) {
    UdpPeer peer;
    const QueryFields fields{.usable = c.usable, .search_number = 99, .time_field = 5000};
    send(peer, keyword_query("page", peer.endpoint(), fields));
    const std::vector<Answer> all = answers(peer);
    ASSERT_EQ(all.size(), c.datagrams) << "usable " << c.usable;

    std::set<std::string> names;
    uint32_t previous_time = fields.time_field;
    for (size_t i = 0; i < all.size(); ++i) {
      const Answer& answer = all[i];
      EXPECT_EQ(answer.responder_id, "owner");
      EXPECT_EQ(answer.search_number(), 99u);
      EXPECT_GE(answer.time_field(), previous_time);
      previous_time = answer.time_field();
      // A datagram closed early would leave room for one more record of ~60 bytes.
      if (i + 1 < all.size()) {
        EXPECT_GT(answer.datagram.size(), wire::kMaxResultDatagram - 60);
      }
      for (const auto& record : answer.records) EXPECT_TRUE(names.insert(record.at(0)).second) << record.at(0);

      const std::string& datagram = answer.datagram;
      EXPECT_EQ(platform::format_ipv4(util::read_u32(datagram.data() + wire::kResultResponderAddress)), "203.0.113.7");
      EXPECT_EQ(util::read_u32(datagram.data() + wire::kResultResponderPort), responder->port());
      EXPECT_EQ(static_cast<uint8_t>(datagram[wire::kResultDestination]), wire::kSearchWindowDestination);
      // A usable searcher's key carries the address it was seen at; the rest is copied.
      const platform::Ipv4 key_address = util::read_u32(datagram.data() + wire::kResultSearcherKey);
      EXPECT_EQ(platform::format_ipv4(key_address), c.usable ? "127.0.0.1" : platform::format_ipv4(0xA3A2A1A0));
      EXPECT_EQ(datagram.substr(wire::kResultSearcherKey + 4, 4), "\xA4\xA5\xA6\xA7");
    }
    EXPECT_GT(previous_time, fields.time_field) << "the time field grows by the time spent";
  }
}

TEST_F(SearchResponderTest, AFirstQueryGetsOneDatagramAndTheNextTheWholeAnswer) {
  insert(page_rows());
  UdpPeer relay(kServiceHost);
  endpoints.relay[0] = relay.endpoint();
  start();

  struct Case {
    std::string what;
    std::string searcher_address;  // a source the responder has not heard from
    bool to_relay;
    size_t whole_answer;
  };
  const std::vector<Case> cases = {
      {"answers to the sender", "127.0.30.1", false, 6},
      {"answers through a relay", "127.0.30.2", true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UdpPeer searcher(c.searcher_address);
    const UdpPeer& receiver = c.to_relay ? relay : searcher;
    QueryFields fields{.usable = !c.to_relay, .search_number = 1};
    if (c.to_relay) fields.reply = relay.endpoint();
    send(searcher, keyword_query("page", searcher.endpoint(), fields));
    const std::vector<Answer> first = answers(receiver);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].search_number(), 1u);

    fields.search_number = 2;
    send(searcher, keyword_query("page", searcher.endpoint(), fields));
    const std::vector<Answer> second = answers(receiver);
    EXPECT_EQ(second.size(), c.whole_answer);
    for (const Answer& answer : second) EXPECT_EQ(answer.search_number(), 2u);
  }
}

TEST_F(SearchResponderTest, AThousandSourcesAimedAtTheRelayGetOnlyItsBudget) {
  insert(page_rows());
  UdpPeer relay(kServiceHost);
  endpoints.relay[0] = relay.endpoint();
  SearchRateLimits limits = roomy_limits();
  limits.destination_bytes_per_second = 8 * 1024;
  start(limits);

  // One query from each of 1,000 addresses, spread over one second of the
  // responder's clock, every one naming the relay for its answer.
  constexpr int kSources = 1000;
  for (int i = 0; i < kSources; ++i) {
    const UdpPeer source("127.0." + std::to_string(10 + i / 250) + "." + std::to_string(1 + i % 250));
    send(source, keyword_query("page", source.endpoint(), {.usable = false, .search_number = static_cast<uint32_t>(i), .reply = relay.endpoint()}));
    clock.advance_ms(1);
  }
  size_t bytes = 0;
  for (const Answer& answer : answers(relay)) bytes += answer.datagram.size();
  EXPECT_GT(bytes, 0u);
  // The second's worth saved up, and what one second adds.
  EXPECT_LE(bytes, 2 * size_t{limits.destination_bytes_per_second});
}

TEST_F(SearchResponderTest, AllDestinationsTogetherGetOnlyTheReplyBudget) {
  insert(page_rows());
  SearchRateLimits limits = roomy_limits();
  limits.reply_bytes_per_second = 16 * 1024;
  start(limits);

  std::vector<std::unique_ptr<UdpPeer>> searchers;
  for (int i = 0; i < 40; ++i) {
    searchers.push_back(std::make_unique<UdpPeer>("127.0.20." + std::to_string(1 + i)));
    // Twice each, so that the second is a known source's query, answered in full.
    for (uint32_t number : {1u, 2u}) send(*searchers.back(), keyword_query("page", searchers.back()->endpoint(), {.search_number = number}));
  }
  const size_t bytes = bytes_of(datagrams_until_quiet(searchers));
  EXPECT_GT(bytes, 0u);
  // The clock stands still: one second's worth in all.
  EXPECT_LE(bytes, size_t{limits.reply_bytes_per_second});
}

TEST_F(SearchResponderTest, NoAnswerDuringAHashingRunOrWithPowerOffPending) {
  insert({{.name = "paused file"}});
  start();
  UdpPeer peer;
  for (std::atomic<bool>* flag : {&fake_hashing.running, &meter.power_off_after_transfers}) {
    *flag = true;
    send(peer, keyword_query("paused", peer.endpoint()));
    EXPECT_EQ(peer.receive(1000), std::nullopt);
    *flag = false;
  }
  EXPECT_EQ(names_of(search("paused")), (std::vector<std::string>{"paused file"}));
}

TEST_F(SearchResponderTest, MalformedQueriesGetNoAnswer) {
  insert({{.name = "target", .hash = hash_of(5)}, {.name = "other", .hash = hash_of(6)}});
  start();
  UdpPeer peer;
  const service::Endpoint me = peer.endpoint();
  const std::string keyword = keyword_query("target", me);
  const std::string hash = hash_query({hash_of(5)}, me);
  auto with_byte = [](std::string datagram, size_t offset, char value) {
    datagram[offset] = value;
    return datagram;
  };
  auto with_hash_count = [&](std::vector<std::string> hashes, uint8_t count) { return with_byte(hash_query(hashes, me), wire::kQueryHashCount, count); };
  // 32 characters each: what would match every row if it reached the SQL as text.
  const std::string injected = "' Or 1=1 Or hash<>'0123456789ab'";
  ASSERT_EQ(injected.size(), wire::kHashTextSize);
  const std::string wildcards(32, '%');
  QueryFields no_reply_port;
  no_reply_port.reply = service::Endpoint{me.address, 0};

  const std::vector<std::pair<std::string, std::string>> hostile = {
      {"empty", ""},
      {"one byte", keyword.substr(0, 1)},
      {"keyword query of 95 bytes", keyword.substr(0, wire::kKeywordQuerySize - 1)},
      {"hash query without room for its hash", hash.substr(0, hash.size() - 1)},
      {"hash query without its count", hash.substr(0, wire::kQueryHashes - 1)},
      {"bad check byte", with_byte(keyword, 0, static_cast<char>(keyword[0] ^ 1))},
      {"unknown type", with_byte(with_byte(keyword, 1, 13), 0, static_cast<char>(service::search_check_byte(13)))},
      {"n = 0", with_hash_count({hash_of(5)}, 0)},
      {"n = 51", with_hash_count(std::vector<std::string>(51, hash_of(5)), 51)},
      {"n larger than the datagram", with_hash_count({hash_of(5), hash_of(5)}, 3)},
      {"hash with quotes", hash_query({injected}, me)},
      {"hash of wildcards", hash_query({wildcards}, me)},
      {"keyword hash with quotes", keyword_query("\x02\x02" + injected, me)},
      {"no word", keyword_query("\x02" "dat", me)},
      {"text that is not CP949", keyword_query("\xff\xfe", me)},
      {"searcher ID that is not CP949", keyword_query("target", me, {.searcher_id = "\xff\xff"})},
      {"reply port 0", keyword_query("target", me, no_reply_port)},
  };
  for (const auto& [what, datagram] : hostile) {
    SCOPED_TRACE(what);
    send(peer, datagram);
  }
  expect_only_probe_answered(peer);
}

TEST_F(SearchResponderTest, WildcardsInWordsOnlyMatchThemselves) {
  insert({{.name = "plain"}, {.name = "50% off"}, {.name = "snake_case"}});
  start();
  EXPECT_THAT(search("%"), ElementsAre(ElementsAre("50% off", "100", "", "1", "0", "", "0")));
  EXPECT_EQ(names_of(search("_")), (std::vector<std::string>{"snake_case"}));
  expect_no_answer("%%\x01_");
}

TEST_F(SearchResponderTest, ResultsGoToTheSenderOrARelayOnly) {
  insert({{.name = "routed file"}});
  UdpPeer relay(kServiceHost);
  endpoints.relay[0] = relay.endpoint();
  start();

  UdpPeer searcher;
  UdpPeer second_port;  // same address as the searcher
  UdpPeer victim("127.0.0.3");
  struct Case {
    std::string what;
    service::Endpoint reply;
    const UdpPeer* receiver;  // nullptr: nobody
  };
  const std::vector<Case> cases = {
      {"the sender", searcher.endpoint(), &searcher},
      {"another port of the sender's address", second_port.endpoint(), &second_port},
      {"a relay", relay.endpoint(), &relay},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    send(searcher, keyword_query("routed", searcher.endpoint(), {.reply = c.reply}));
    EXPECT_EQ(names_of(records_of(answers(*c.receiver))), (std::vector<std::string>{"routed file"}));
  }

  // A host that did not ask, and the relay's address at another port: nothing goes out.
  send(searcher, keyword_query("routed", searcher.endpoint(), {.reply = victim.endpoint()}));
  send(searcher, keyword_query("routed", searcher.endpoint(), {.reply = service::Endpoint{relay.address(), victim.port()}}));
  expect_only_probe_answered(searcher);
  EXPECT_EQ(victim.receive(200), std::nullopt);
  EXPECT_EQ(relay.receive(0), std::nullopt);
}

TEST_F(SearchResponderTest, OneSourceGetsOnlyItsShareOfAnswers) {
  insert({{.name = "limited"}});
  start({.burst = 2, .per_second = 1, .max_sources = 16});
  UdpPeer peer;
  // `wait_ms` bounds the wait for the first answer where none is expected.
  auto answered = [&](std::vector<uint32_t> numbers, int wait_ms = 10000) {
    for (uint32_t number : numbers) send(peer, keyword_query("limited", peer.endpoint(), {.search_number = number}));
    std::set<uint32_t> seen;
    for (const Answer& answer : answers(peer, wait_ms)) seen.insert(answer.search_number());
    return seen.size();
  };
  EXPECT_EQ(answered({1, 2, 3}), 2u);
  clock.advance_ms(999);
  EXPECT_EQ(answered({4}, 1000), 0u);
  clock.advance_ms(1);
  EXPECT_EQ(answered({5}), 1u);

  UdpPeer other("127.0.0.4");
  send(other, keyword_query("limited", other.endpoint()));
  EXPECT_EQ(answers(other).size(), 1u) << "another source has its own budget";
}

TEST_F(SearchResponderTest, IncomingResultsGoToTheSearchWindow) {
  start();
  UdpPeer peer;
  std::string result(40, 'r');
  result[0] = static_cast<char>(service::search_check_byte(wire::kResultDatagram));
  result[1] = static_cast<char>(wire::kResultDatagram);
  result[wire::kResultDestination] = static_cast<char>(wire::kSearchWindowDestination);
  std::string elsewhere = result;
  elsewhere[wire::kResultDestination] = 2;
  send(peer, result.substr(0, wire::kResultHeaderSize - 1));
  send(peer, elsewhere);
  send(peer, result);

  ASSERT_TRUE(test::eventually([&] { return !sink.received().empty(); }));
  const auto received = sink.received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].second, peer.endpoint());
  std::string expected = result;
  const platform::Ipv4 seen_at = peer.address();
  std::memcpy(expected.data() + wire::kResultResponderAddress, &seen_at, 4);
  EXPECT_EQ(received[0].first, expected);
}

TEST_F(SearchResponderTest, OnlyTheServiceMayAskForListSynchronisation) {
  lists.friend_error = "접속 실패";
  start();
  UdpPeer stranger;
  UdpPeer service_host(kServiceHost);
  send(stranger, notice(wire::kFriendListChanged));
  send(stranger, notice(wire::kBlockListChanged));
  send(service_host, notice(wire::kFriendListChanged));
  send(service_host, notice(wire::kBlockListChanged));

  // Each refresh is counted before its line reaches the log: wait for both lines.
  auto logged = [&] {
    std::string log;
    std::error_code not_yet;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(temp / "Log", not_yet)) {
      if (entry.is_regular_file()) log += test::read_file(entry.path());
    }
    return log;
  };
  EXPECT_TRUE(test::eventually([&] {
    const std::string log = logged();
    return log.find("친구목록 동기화 에러: 접속 실패") != std::string::npos && log.find("차단목록을 동기화시켰습니다.") != std::string::npos;
  })) << logged();
  EXPECT_EQ(lists.friend_refreshes, 1);
  EXPECT_EQ(lists.block_refreshes, 1);
}

TEST_F(SearchResponderTest, FloodsOfListChangeNoticesAreActedOnAtTheirRateOnly) {
  SearchRateLimits limits = roomy_limits();
  limits.notice_burst = 3;
  limits.notice_interval_ms = 1000;
  start(limits);
  UdpPeer service_host(kServiceHost);
  auto refreshes = [&] { return lists.friend_refreshes + lists.block_refreshes; };

  for (int i = 0; i < 50; ++i) send(service_host, notice(i % 2 == 0 ? wire::kFriendListChanged : wire::kBlockListChanged));
  EXPECT_TRUE(test::eventually([&] { return refreshes() >= 3; }));
  clock.advance_ms(1000);
  send(service_host, notice(wire::kFriendListChanged));
  EXPECT_TRUE(test::eventually([&] { return refreshes() >= 4; }));
  // A query behind them all is answered: the workers are past the flood.
  UdpPeer peer;
  expect_only_probe_answered(peer);
  EXPECT_EQ(refreshes(), 4);
}

TEST_F(SearchResponderTest, StartAndStop) {
  UdpPeer taken;
  responder = std::make_unique<SearchResponder>(context, endpoints, sink, lists);
  EXPECT_FALSE(responder->start_search_responder(taken.port()));
  EXPECT_EQ(util::LastErrorText(), "UDP " + std::to_string(taken.port()) + " port bind Error: 98");
  EXPECT_EQ(responder->last_system_error(), EADDRINUSE);
  EXPECT_EQ(responder->port(), 0);

  ASSERT_TRUE(responder->start_search_responder(0));
  const uint16_t port = responder->port();
  EXPECT_TRUE(responder->start_search_responder(0)) << "already running";
  EXPECT_EQ(responder->port(), port);
  responder->stop_search_responder();
  EXPECT_EQ(responder->port(), 0);

  // Started again on the same port, it answers as before.
  ASSERT_TRUE(responder->start_search_responder(port));
  UdpPeer peer;
  expect_only_probe_answered(peer);
}

TEST(SearchAddresses, PrivateRanges) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"192.168.0.5", true}, {"10.1.2.3", true},      {"172.20.0.1", true},     {"172.16.0.0", true},  {"172.31.255.255", true},
      {"172.32.0.1", false}, {"172.15.255.255", false}, {"11.0.0.1", false},    {"192.169.0.1", false}, {"127.0.0.1", false},
      {"9.255.255.255", false}, {"203.0.113.7", false},
  };
  for (const auto& [address, is_private] : cases) EXPECT_EQ(is_private_address(*platform::parse_ipv4(address)), is_private) << address;
}

}  // namespace
}  // namespace dovel::server
