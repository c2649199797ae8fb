#include <gtest/gtest.h>

#include <cstring>

#include "platform/cp949.h"
#include "server/search_query.h"
#include "service/frame.h"
#include "service/relay_messages.h"
#include "support/cp949_text.h"
#include "util/little_endian.h"
#include "wire/query_datagram.h"
#include "wire/result_datagram.h"
#include "wire/result_reader.h"
#include "wire/search_datagram.h"

namespace dovel::wire {
namespace {

constexpr const char* kHash = "00112233445566778899aabbccddeeff";

platform::Ipv4 ip(const char* dotted) { return *platform::parse_ipv4(dotted); }
using dovel::test::cp949;

wire::QueryHeader usable_header() {
  wire::QueryHeader header;
  header.searcher_key = wire::server_searcher_key(ip("203.0.113.9"), 9910);
  header.searcher_usable = true;
  header.search_number = 0xA1B2C3D4;
  header.user_id = "검색왕";
  header.reply = {ip("203.0.113.9"), 9910};
  header.adult = true;
  return header;
}

TEST(QueryDatagram, KeywordQueryIs96BytesAndParsesOnTheResponderSide) {
  std::optional<std::string> datagram = wire::build_keyword_query(usable_header(), cp949("휴가\x01영화\x02" "avi"));
  ASSERT_TRUE(datagram);
  ASSERT_EQ(datagram->size(), 96u);
  wire::set_query_time(*datagram, 0xFFFFFFF0);
  EXPECT_EQ(static_cast<uint8_t>((*datagram)[0]), service::search_check_byte(wire::kKeywordQuery));
  EXPECT_EQ((*datagram)[70], '\0');
  EXPECT_EQ((*datagram)[86], '\0');
  EXPECT_EQ((*datagram)[95], '\x01') << "adult";

  std::optional<wire::SearchQuery> query = wire::parse_search_query(*datagram);
  ASSERT_TRUE(query);
  EXPECT_EQ(query->words, (std::vector<std::string>{"휴가", "영화"}));
  EXPECT_EQ(query->extension, "avi");
  EXPECT_TRUE(query->hashes.empty());
  EXPECT_EQ(query->search_number, 0xA1B2C3D4u);
  EXPECT_EQ(query->time_field, 0xFFFFFFF0u);
  EXPECT_EQ(query->destination, wire::kSearchWindowDestination);
  EXPECT_EQ(query->searcher_id, "검색왕");
  EXPECT_TRUE(query->searcher_usable);
  EXPECT_EQ(query->reply_address, ip("203.0.113.9"));
  EXPECT_EQ(query->reply_port, 9910);
  EXPECT_EQ(query->searcher_key, usable_header().searcher_key);
}

TEST(QueryDatagram, HashInTheKeywordTextIsAHashLookUp) {
  std::optional<std::string> datagram = wire::build_keyword_query(usable_header(), std::string("\x02\x02") + kHash);
  ASSERT_TRUE(datagram);
  std::optional<wire::SearchQuery> query = wire::parse_search_query(*datagram);
  ASSERT_TRUE(query);
  EXPECT_EQ(query->hashes, (std::vector<std::string>{kHash}));
}

TEST(QueryDatagram, HashQueryIs1697BytesWhateverTheCount) {
  std::vector<std::string> hashes{kHash, "ffeeddccbbaa99887766554433221100"};
  std::optional<std::string> datagram = wire::build_hash_query(usable_header(), hashes);
  ASSERT_TRUE(datagram);
  EXPECT_EQ(datagram->size(), 1697u);
  EXPECT_EQ(static_cast<uint8_t>((*datagram)[96]), 2u);
  EXPECT_EQ(datagram->substr(20, 50), std::string(50, '\0')) << "no query text in a hash query";
  std::optional<wire::SearchQuery> query = wire::parse_search_query(*datagram);
  ASSERT_TRUE(query);
  EXPECT_EQ(query->hashes, hashes);

  std::vector<std::string> fifty(50, kHash);
  ASSERT_TRUE(wire::build_hash_query(usable_header(), fifty));
  EXPECT_EQ(wire::build_hash_query(usable_header(), fifty)->size(), 1697u);
  fifty.push_back(kHash);
  EXPECT_FALSE(wire::build_hash_query(usable_header(), fifty));
  EXPECT_FALSE(wire::build_hash_query(usable_header(), {}));
  EXPECT_FALSE(wire::build_hash_query(usable_header(), {"0123"}));
}

TEST(QueryDatagram, WhatDoesNotFitIsNotBuilt) {
  EXPECT_FALSE(wire::build_keyword_query(usable_header(), std::string(51, 'x')));
  EXPECT_TRUE(wire::build_keyword_query(usable_header(), std::string(50, 'x')));
  wire::QueryHeader header = usable_header();
  header.user_id = "일곱글자아이디";  // 14 bytes
  EXPECT_TRUE(wire::build_keyword_query(header, "ab"));
  header.user_id = "sixteen-letters!";
  EXPECT_FALSE(wire::build_keyword_query(header, "ab"));
}

TEST(QueryDatagram, SearcherKeys) {
  const wire::SearcherKey usable = wire::server_searcher_key(ip("10.20.30.40"), 0x12345678);
  EXPECT_EQ(usable, (wire::SearcherKey{10, 20, 30, 40, 0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(wire::relay_searcher_key(0x1234), (wire::SearcherKey{0x34, 0x12, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(wire::relay_searcher_key(0x8001), (wire::SearcherKey{0x01, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})) << "sign-extended";
  const wire::SearcherKey key = wire::relay_searcher_key(0xBEEF);
  EXPECT_EQ(service::ticket_of_searcher_key(std::string_view(reinterpret_cast<const char*>(key.data()), key.size())), 0xBEEF)
      << "the relay finds the ticket again";

  wire::QueryHeader relayed = usable_header();
  relayed.searcher_key = wire::relay_searcher_key(0x8001);
  relayed.searcher_usable = false;
  std::optional<wire::SearchQuery> query = wire::parse_search_query(*wire::build_keyword_query(relayed, "ab"));
  ASSERT_TRUE(query);
  EXPECT_FALSE(query->searcher_usable);
  EXPECT_EQ(query->searcher_key, wire::relay_searcher_key(0x8001));
}

wire::ResultHeader result_header() {
  wire::ResultHeader header;
  header.responder_address = ip("198.51.100.7");
  header.responder_port = 9911;
  header.searcher_key = wire::server_searcher_key(ip("203.0.113.9"), 9910);
  header.search_number = 77;
  header.time_field = 123456;
  header.destination = wire::kSearchWindowDestination;
  return header;
}

TEST(ResultReader, ReadsWhatTheResponderBuilds) {
  const std::vector<wire::ResultRow> rows = {
      {"휴가 영화", kHash, "avi", 1, 734003200, 5, "", 0},
      {"사진", "", "", 0, 0, 1, "여름\\바다", 2},
      {"readme", "", "", 1, 12, 1, "문서", 3},
  };
  wire::ResultPager pager(cp949("밥"), 5);
  for (const wire::ResultRow& row : rows) ASSERT_TRUE(pager.add(*wire::format_result_record(row)));
  const std::vector<std::string> payloads = pager.finish();
  ASSERT_EQ(payloads.size(), 1u);
  const std::string datagram = wire::build_result_datagram(result_header(), payloads[0]);

  std::optional<wire::ResultHeader> header = wire::read_result_header(datagram);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->responder_address, ip("198.51.100.7"));
  EXPECT_EQ(header->responder_port, 9911u);
  EXPECT_EQ(header->search_number, 77u);
  EXPECT_EQ(header->time_field, 123456u);
  EXPECT_EQ(header->searcher_key, result_header().searcher_key);

  std::optional<wire::ResultPayload> payload = wire::read_result_payload(datagram);
  ASSERT_TRUE(payload);
  EXPECT_EQ(payload->responder_id, "밥");
  EXPECT_EQ(payload->dropped_records, 0u);
  EXPECT_EQ(payload->records, (std::vector<wire::ResultRecord>{
                                  {"휴가 영화.avi", 734003200, kHash, 1, 5, "", -1},
                                  {"사진", 0, "", 0, 1, "여름\\바다", 2},
                                  {"readme", 12, "", 1, 1, "문서", 3},
                              }));
}

TEST(ResultReader, HeadersThatAreNoResultsForTheSearchWindow) {
  const std::string good = wire::build_result_datagram(result_header(), "bob*");
  ASSERT_TRUE(wire::read_result_header(good));

  std::string bad_check = good;
  bad_check[0] ^= 1;
  wire::ResultHeader other_destination = result_header();
  other_destination.destination = 2;
  wire::ResultHeader no_port = result_header();
  no_port.responder_port = 0;
  wire::ResultHeader big_port = result_header();
  big_port.responder_port = 70000;
  wire::ResultHeader no_address = result_header();
  no_address.responder_address = 0;
  const std::vector<std::pair<const char*, std::string>> refused = {
      {"wrong check byte", bad_check},
      {"cut inside the header", good.substr(0, 26)},
      {"longer than a responder sends", wire::build_result_datagram(result_header(), "bob*" + std::string(1000, 'x'))},
      {"another destination", wire::build_result_datagram(other_destination, "bob*")},
      {"port 0", wire::build_result_datagram(no_port, "bob*")},
      {"port beyond 65535", wire::build_result_datagram(big_port, "bob*")},
      {"address 0", wire::build_result_datagram(no_address, "bob*")},
  };
  for (const auto& [what, datagram] : refused) EXPECT_FALSE(wire::read_result_header(datagram)) << what;
}

TEST(ResultReader, MalformedRecordsAreRefused) {
  const std::string hash = kHash;
  const std::vector<std::pair<const char*, std::string>> refused = {
      {"four fields", "a.avi|1|" + hash + "|1"},
      {"six fields", "a.avi|1||1|0|x"},
      {"eight fields", "a.avi|1||1|0|x|0|y"},
      {"non-numeric size", "a.avi|big|" + hash + "|1|0"},
      {"negative size", "a.avi|-1|" + hash + "|1|0"},
      {"size with a blank", "a.avi| 1|" + hash + "|1|0"},
      {"size beyond 64 bits", "a.avi|99999999999999999999|" + hash + "|1|0"},
      {"file type 2", "a.avi|1|" + hash + "|2|0"},
      {"negative right", "a.avi|1|" + hash + "|1|-1"},
      {"short hash", "a.avi|1|" + hash.substr(1) + "|1|0"},
      {"hash not hexadecimal", "a.avi|1|" + std::string(32, 'z') + "|1|0"},
      {"five fields without hash", "a.avi|1||1|0"},
      {"seven fields with hash", "a.avi|1|" + hash + "|1|0|x|0"},
      {"empty name", "|1|" + hash + "|1|0"},
      {"name not CP949", "\xFF\xFF|1|" + hash + "|1|0"},
      {"name with a control byte", "a\x01" "b|1|" + hash + "|1|0"},
      {"name with a path", "..\\x|1|" + hash + "|1|0"},
      {"name '..'", "..|1||0|0|x|0"},
      {"path with a slash", "a|1||0|0|x/y|0"},
      {"negative share index", "a|1||0|0|x|-1"},
      {"share index beyond 32 bits", "a|1||0|0|x|4294967296"},
      {"non-numeric share index", "a|1||0|0|x|one"},
  };
  for (const auto& [what, record] : refused) EXPECT_FALSE(wire::parse_result_record(record)) << what;
  EXPECT_TRUE(wire::parse_result_record("a.avi|0|" + hash + "|1|0"));
  EXPECT_TRUE(wire::parse_result_record("folder|0||0|13||0")) << "the share's top folder has an empty path";
  std::optional<wire::ResultRecord> upper = wire::parse_result_record("a.avi|5|00112233445566778899AABBCCDDEEFF|1|0");
  ASSERT_TRUE(upper);
  EXPECT_EQ(upper->hash, kHash);
}

TEST(ResultReader, PayloadKeepsTheGoodRecordsOfADatagram) {
  const std::string good = "a.avi|1|" + std::string(kHash) + "|1|0";
  std::optional<wire::ResultPayload> payload =
      wire::read_result_payload(wire::build_result_datagram(result_header(), "bob*" + good + "*a|x||1|0*" + good + "*cut|1|"));
  ASSERT_TRUE(payload);
  EXPECT_EQ(payload->responder_id, "bob");
  EXPECT_EQ(payload->records.size(), 2u);
  EXPECT_EQ(payload->dropped_records, 2u) << "the malformed one and the one cut short";

  EXPECT_FALSE(wire::read_result_payload(wire::build_result_datagram(result_header(), "sixteen-letters!*" + good + "*"))) << "no user ID";
  EXPECT_FALSE(wire::read_result_payload(wire::build_result_datagram(result_header(), "\xFF\xFE*" + good + "*"))) << "ID not CP949";
  std::optional<wire::ResultPayload> empty = wire::read_result_payload(wire::build_result_datagram(result_header(), "bob*"));
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->records.empty());
}

}  // namespace
}  // namespace dovel::wire
