#pragma once

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "platform/cp949.h"
#include "server/search_responder.h"
#include "service/frame.h"
#include "share/hash_service.h"
#include "support/cp949_text.h"
#include "support/fake_clock.h"
#include "support/share_server_home.h"
#include "support/shared_file_rows.h"
#include "util/last_error.h"
#include "util/little_endian.h"
#include "util/log_files.h"
#include "wire/search_datagram.h"

namespace dovel::server {

class FakeHashing final : public share::HashService {
 public:
  bool active() const override { return running; }
  share::FileHash hash_on_demand(std::string_view, std::string_view, int64_t, settings::ShareIndex, const share::ShareFilter&) override {
    return {};
  }
  std::atomic<bool> running{false};
};

class RecordingSink final : public wire::SearchResultSink {
 public:
  void search_result_received(std::string datagram, service::Endpoint source) override {
    std::lock_guard guard(lock_);
    received_.push_back({std::move(datagram), source});
  }
  std::vector<std::pair<std::string, service::Endpoint>> received() const {
    std::lock_guard guard(lock_);
    return received_;
  }

 private:
  mutable std::mutex lock_;
  std::vector<std::pair<std::string, service::Endpoint>> received_;
};

class RecordingLists final : public ListSyncHandler {
 public:
  std::optional<std::string> refresh_friends() override {
    ++friend_refreshes;
    return friend_error;
  }
  std::optional<std::string> refresh_blocks() override {
    ++block_refreshes;
    return std::nullopt;
  }
  std::atomic<int> friend_refreshes{0};
  std::atomic<int> block_refreshes{0};
  std::optional<std::string> friend_error;
};

// A UDP socket of a test peer on a loopback address of its own choosing, port 0.
class UdpPeer {
 public:
  explicit UdpPeer(std::string_view address = "127.0.0.1")
      : fd_(platform::make_udp_socket_bound(*platform::parse_ipv4(address), 0)), address_(*platform::parse_ipv4(address)) {}

  platform::Ipv4 address() const { return address_; }
  uint16_t port() const { return platform::local_port(fd_.get()); }
  int fd() const { return fd_.get(); }
  service::Endpoint endpoint() const { return {address_, port()}; }

  void send_to(uint16_t port, std::string_view datagram, std::string_view address = "127.0.0.1") const {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = *platform::parse_ipv4(address);
    target.sin_port = htons(port);
    ASSERT_EQ(::sendto(fd_.get(), datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&target), sizeof target),
              static_cast<ssize_t>(datagram.size()));
  }

  // The next datagram, or nullopt after `timeout_ms`.
  std::optional<std::string> receive(int timeout_ms = 10000) const {
    std::string buffer(8192, '\0');
    ssize_t size = platform::receive_some(fd_.get(), buffer.data(), buffer.size(), timeout_ms);
    if (size < 0) return std::nullopt;
    buffer.resize(static_cast<size_t>(size));
    return buffer;
  }

 private:
  platform::UniqueFd fd_;
  platform::Ipv4 address_;
};

// The fields of a query datagram a test sets; the rest take a searcher's usual values.
struct QueryFields {
  bool usable = true;
  uint32_t search_number = 4242;
  uint32_t time_field = 5000;
  std::string searcher_id = "seeker";  // CP949 bytes
  std::optional<service::Endpoint> reply{};  // else the sending peer
};

inline void put_header(std::string& datagram, uint8_t type, const QueryFields& fields, service::Endpoint sender) {
  datagram[0] = static_cast<char>(service::search_check_byte(type));
  datagram[1] = static_cast<char>(type);
  for (size_t i = 0; i < 8; ++i) datagram[wire::kQuerySearcherKey + i] = static_cast<char>(0xA0 + i);
  datagram[wire::kQuerySearcherUsable] = fields.usable ? 1 : 0;
  std::string number;
  util::append_u32(number, fields.search_number);
  util::append_u32(number, fields.time_field);
  datagram.replace(wire::kQuerySearchNumber, 8, number);
  datagram[wire::kQueryDestination] = static_cast<char>(wire::kSearchWindowDestination);
  datagram.replace(wire::kQueryUserId, fields.searcher_id.size(), fields.searcher_id);
  const service::Endpoint reply = fields.reply.value_or(sender);
  datagram.replace(wire::kQueryReplyAddress, 4, reinterpret_cast<const char*>(&reply.address), 4);
  std::string port;
  util::append_u32(port, reply.port);
  datagram.replace(wire::kQueryReplyPort, 4, port);
}

// A keyword query: `text` is the CP949 query text (words split by 0x01, then
// 0x02 and an extension), at most 50 bytes.
inline std::string keyword_query(std::string_view text, service::Endpoint sender, const QueryFields& fields = {}) {
  std::string datagram(wire::kKeywordQuerySize, '\0');
  put_header(datagram, wire::kKeywordQuery, fields, sender);
  std::string plain(wire::kQueryTextSize, '\0');
  plain.replace(0, text.size(), text);
  datagram.replace(wire::kQueryText, wire::kQueryTextSize, service::scrambled(plain));
  return datagram;
}

inline std::string hash_query(const std::vector<std::string>& hashes, service::Endpoint sender, const QueryFields& fields = {}) {
  std::string datagram(wire::kQueryHashes, '\0');
  put_header(datagram, wire::kHashQuery, fields, sender);
  datagram[wire::kQueryHashCount] = static_cast<char>(hashes.size());
  for (const std::string& hash : hashes) datagram += hash;
  return datagram;
}

// A received result datagram taken apart.
struct Answer {
  std::string datagram;
  std::string responder_id;
  std::vector<std::vector<std::string>> records;  // fields, CP949 converted to UTF-8

  uint32_t search_number() const { return util::read_u32(datagram.data() + wire::kResultSearchNumber); }
  uint32_t time_field() const { return util::read_u32(datagram.data() + wire::kResultTimeField); }
};

inline Answer read_answer(const std::string& datagram) {
  Answer answer{datagram, {}, {}};
  EXPECT_GE(datagram.size(), wire::kResultHeaderSize);
  EXPECT_LE(datagram.size(), wire::kMaxResultDatagram);
  EXPECT_EQ(static_cast<uint8_t>(datagram[0]), service::search_check_byte(wire::kResultDatagram));
  EXPECT_EQ(static_cast<uint8_t>(datagram[1]), wire::kResultDatagram);
  if (datagram.size() < wire::kResultHeaderSize) return answer;
  const std::string payload = service::scrambled(std::string_view(datagram).substr(wire::kResultHeaderSize));
  std::vector<std::string> parts = base::split(payload, '*');
  EXPECT_GE(parts.size(), 2u);
  EXPECT_EQ(parts.back(), "") << "every record ends with '*'";
  answer.responder_id = parts.front();
  for (size_t i = 1; i + 1 < parts.size(); ++i) {
    std::vector<std::string> fields;
    for (const std::string& field : base::split(parts[i], '|')) fields.push_back(platform::cp949_to_utf8(field).value_or("<not CP949>"));
    answer.records.push_back(std::move(fields));
  }
  return answer;
}

using dovel::test::cp949;

// A data home with its databases, shares made on demand, rows written straight
// into the table, and a responder on 127.0.0.1 owned by the logged-in "owner".
class SearchResponderFixture : public ::testing::Test, protected dovel::test::ShareServerHome {
 protected:
  static constexpr const char* kServiceHost = "127.0.0.2";
  // The one row of share 0 that expect_only_probe_answered finds.
  static constexpr const char* kProbeWord = "qqprobeqq";

  struct Row {
    std::string name{};
    std::string extension{};
    std::string hash{};
    int file_type = 1;
    int64_t size = 100;
    std::string path{};
    int right = 0;
    int shared_index = 0;
  };

  SearchResponderFixture() : ShareServerHome({.clock = &clock, .hashing = &fake_hashing}) {}

  void SetUp() override {
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
    settings.external_address = *platform::parse_ipv4("203.0.113.7");
    friends.set_entries({{"Pal", "친구\x07"}});
    // The service lives on 127.0.0.2, apart from the test peers on 127.0.0.1.
    service::ServiceConfig config = service::ServiceConfig::defaults();
    config.host_a = config.host_b = *platform::parse_ipv4(kServiceHost);
    endpoints = config.endpoints();
    set_shares({{"공유", settings::SHARE_READ}});
    insert({{.name = kProbeWord}});
  }
  void TearDown() override {
    responder.reset();
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
  }

  void set_shares(const std::vector<dovel::test::HomeShare>& shares) { ASSERT_TRUE(ShareServerHome::set_shares(shares)); }

  void insert(const std::vector<Row>& rows) { test::insert_shared_files(databases.data, rows); }

  // Limits that no test reaches unless it sets its own, so that each test meets
  // only the rule it is about. First contacts still get one datagram.
  static SearchRateLimits roomy_limits() {
    SearchRateLimits limits;
    limits.burst = limits.per_second = 1000;
    limits.reply_bytes_per_second = limits.destination_bytes_per_second = 64 * 1024 * 1024;
    limits.notice_burst = 1000;
    return limits;
  }

  void start(SearchRateLimits limits = roomy_limits()) {
    responder = std::make_unique<SearchResponder>(context, endpoints, sink, lists, limits);
    ASSERT_TRUE(responder->start_search_responder(0)) << util::LastErrorText();
    ASSERT_NE(responder->port(), 0);
  }

  void send(const UdpPeer& peer, std::string_view datagram) const { peer.send_to(responder->port(), datagram); }

  // Every answer to one query: datagrams until none came for a while.
  static std::vector<Answer> answers(const UdpPeer& peer, int first_timeout_ms = 10000) {
    std::vector<Answer> all;
    for (auto datagram = peer.receive(first_timeout_ms); datagram; datagram = peer.receive(300)) all.push_back(read_answer(*datagram));
    return all;
  }

  // Every datagram that reaches any of `peers` until none came for `quiet_ms`
  // (the first may take up to `first_timeout_ms`).
  static std::vector<std::string> datagrams_until_quiet(const std::vector<std::unique_ptr<UdpPeer>>& peers, int first_timeout_ms = 10000,
                                                        int quiet_ms = 300) {
    std::vector<pollfd> waiting;
    for (const auto& peer : peers) waiting.push_back({peer->fd(), POLLIN, 0});
    std::vector<std::string> all;
    for (int wait_ms = first_timeout_ms; ::poll(waiting.data(), waiting.size(), wait_ms) > 0; wait_ms = quiet_ms) {
      for (size_t i = 0; i < waiting.size(); ++i) {
        if ((waiting[i].revents & POLLIN) == 0) continue;
        if (std::optional<std::string> datagram = peers[i]->receive(0)) all.push_back(std::move(*datagram));
      }
    }
    return all;
  }

  static std::vector<std::vector<std::string>> records_of(const std::vector<Answer>& all) {
    std::vector<std::vector<std::string>> records;
    for (const Answer& answer : all) records.insert(records.end(), answer.records.begin(), answer.records.end());
    return records;
  }

  // What `peer` gets for the query text (CP949), as records.
  std::vector<std::vector<std::string>> search(std::string_view text, const QueryFields& fields = {}) {
    UdpPeer peer;
    send(peer, keyword_query(text, peer.endpoint(), fields));
    return records_of(answers(peer));
  }

  // Proves that the query gets no answer at all (see expect_only_probe_answered).
  void expect_no_answer(std::string_view text, const QueryFields& fields = {}) {
    UdpPeer peer;
    send(peer, keyword_query(text, peer.endpoint(), fields));
    expect_only_probe_answered(peer);
  }

  // Proves that the datagrams sent before got nothing: a known-good query from
  // `peer` is answered, and nothing else arrived before or shortly after it.
  void expect_only_probe_answered(const UdpPeer& peer) {
    send(peer, keyword_query(kProbeWord, peer.endpoint(), {.search_number = 777}));
    std::vector<Answer> all = answers(peer);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].search_number(), 777u);
  }

  FakeHashing fake_hashing;
  dovel::test::FakeClock clock;
  service::ServiceEndpoints endpoints;
  RecordingSink sink;
  RecordingLists lists;
  std::unique_ptr<SearchResponder> responder;
};

}  // namespace dovel::server
