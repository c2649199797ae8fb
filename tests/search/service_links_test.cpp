// The search's exchanges with the service's search servers and relays, against scripted fakes.
#include <gtest/gtest.h>

#include "support/eventually.h"
#include "support/fake_clock.h"
#include "search/fake_service_server.h"
#include "search/peer_lists.h"
#include "search/relay_link.h"
#include "search/search_doubles.h"
#include "service/relay_messages.h"
#include "support/loopback_address.h"
#include "util/little_endian.h"
#include "wire/result_datagram.h"

namespace dovel::search {
namespace {

using test::FakeServiceServer;

service::ServerAddress peer(uint32_t n) { return {0x0100007F + (n << 24), static_cast<uint16_t>(9900 + n)}; }

std::vector<service::ServerAddress> peers(uint32_t count) {
  std::vector<service::ServerAddress> all;
  for (uint32_t n = 0; n < count; ++n) all.push_back(peer(n));
  return all;
}

bool same(const PeerList& a, const PeerList& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const auto& x, const auto& y) {
           return x.address == y.address && x.port == y.port;
         });
}

class ServiceLinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (size_t i = 0; i < kSearchServers; ++i) endpoints.registration[i] = servers[i]->endpoint();
    endpoints.relay = {relay.endpoint(), relay.endpoint()};
    endpoints.bind_address = client_address;
  }

  std::optional<PeerList> fetch(size_t server) { return fetch_peer_list(endpoints, server, stop); }

  const platform::Ipv4 service_address = dovel::test::unique_loopback_address();
  const platform::Ipv4 client_address = dovel::test::unique_loopback_address();
  std::array<std::unique_ptr<FakeServiceServer>, kSearchServers> servers = {std::make_unique<FakeServiceServer>(service_address),
                                                                            std::make_unique<FakeServiceServer>(service_address),
                                                                            std::make_unique<FakeServiceServer>(service_address)};
  FakeServiceServer relay{service_address};
  service::ServiceEndpoints endpoints;
  platform::StopSignal stop;
};

TEST_F(ServiceLinksTest, PeerListComesFromItsSearchServer) {
  servers[1]->answer_peers(peers(3));
  std::optional<PeerList> list = fetch(1);
  ASSERT_TRUE(list);
  EXPECT_TRUE(same(*list, peers(3)));
  ASSERT_EQ(servers[1]->requests().size(), 1u);
  EXPECT_EQ(servers[1]->requests()[0].type, '<');
  EXPECT_EQ(servers[1]->requests()[0].payload, "!");
  EXPECT_EQ(servers[0]->connections(), 0);
}

TEST_F(ServiceLinksTest, PeerListReplyLengths) {
  servers[0]->answer(std::string(4, '\0'));
  std::optional<PeerList> empty = fetch(0);
  ASSERT_TRUE(empty) << "length 0 is an empty list";
  EXPECT_TRUE(empty->empty());

  // The largest list there may be: 2,097,152 bytes, read in pieces.
  const std::vector<service::ServerAddress> largest = peers((kMaxPeerListReply - 2) / 6);
  ASSERT_EQ(service::build_peer_list(largest).size(), kMaxPeerListReply);
  servers[0]->answer_peers(largest);
  std::optional<PeerList> full = fetch(0);
  ASSERT_TRUE(full);
  EXPECT_EQ(full->size(), largest.size());

  std::string too_long;
  util::append_u32(too_long, kMaxPeerListReply + 1);
  servers[0]->answer(too_long + std::string(64, '\0'));
  EXPECT_FALSE(fetch(0)) << "refused before a body is read";

  std::string other_type;
  util::append_u16(other_type, 52);
  servers[0]->answer(test::long_prefixed(other_type));
  EXPECT_FALSE(fetch(0));

  servers[0]->answer(test::long_prefixed(service::build_peer_list(peers(2))).substr(0, 9));
  EXPECT_FALSE(fetch(0)) << "cut short";
}

TEST_F(ServiceLinksTest, UnreachableSearchServerGivesNoList) {
  const service::Endpoint gone = servers[2]->endpoint();
  servers[2].reset();
  endpoints.registration[2] = gone;
  EXPECT_FALSE(fetch(2));
}

TEST_F(ServiceLinksTest, ListsAreKeptFromARandomStartAndRefreshedWhenOld) {
  dovel::test::FakeClock clock;
  PeerLists lists(clock, [] { return 2u; });
  servers[0]->answer_peers(peers(4));
  servers[1]->answer_peers(peers(1));
  servers[2]->answer_peers({});
  const PeerLists::Fetch fetcher = [this](size_t server) { return fetch(server); };

  PeerListSet current = lists.current(fetcher, stop);
  EXPECT_TRUE(same(current[0], {peer(2), peer(3), peer(0), peer(1)})) << "from entry 2, wrapping around";
  EXPECT_TRUE(same(current[1], peers(1)));
  EXPECT_TRUE(current[2].empty());

  clock.advance_ms(kPeerListsFreshMs - 1);
  lists.current(fetcher, stop);
  EXPECT_EQ(servers[0]->connections(), 1) << "still fresh";

  // An unreachable server leaves its list as it was; the others are replaced.
  const service::Endpoint gone = servers[0]->endpoint();
  servers[0].reset();
  endpoints.registration[0] = gone;
  servers[1]->answer_peers(peers(2));
  clock.advance_ms(1);
  current = lists.current(fetcher, stop);
  EXPECT_EQ(current[0].size(), 4u);
  EXPECT_EQ(current[1].size(), 2u);
  EXPECT_EQ(servers[1]->connections(), 2);
}

TEST_F(ServiceLinksTest, RelayGivesATicketAndForwardsResults) {
  wire::ResultHeader header;
  header.responder_address = 0x0100007F;
  header.responder_port = 9910;
  header.destination = 1;
  const std::string first = wire::build_result_datagram(header, "bob*");
  const std::string second = wire::build_result_datagram(header, "carol*");
  std::string bad_check = first;
  bad_check[0] ^= 1;
  std::string other_type;
  util::append_u16(other_type, 7);
  util::append_u16(other_type, 52);
  other_type += "12345";
  std::string stream;
  util::append_u16(stream, 0x8123);
  stream += service::build_relayed_result(first) + other_type + service::build_relayed_result(bad_check) + service::build_relayed_result(second);
  std::string out_of_step;
  util::append_u16(out_of_step, service::kMaxRelayedLength + 1);
  stream += out_of_step + service::build_relayed_result(first);
  relay.answer(stream, FakeServiceServer::After::Hold);

  std::unique_ptr<RelayLink> link = RelayLink::open(endpoints, 1, 0x0A0B0C0D, 9910, stop);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->ticket(), 0x8123);
  EXPECT_EQ(link->relay(), relay.endpoint());
  ASSERT_EQ(relay.requests().size(), 1u);
  EXPECT_EQ(relay.requests()[0].type, '3');
  EXPECT_EQ(relay.requests()[0].payload, service::build_ticket_request(0x0A0B0C0D, 9910));

  std::vector<std::string> delivered;
  link->receive([&](std::string datagram) { delivered.push_back(std::move(datagram)); });
  EXPECT_EQ(delivered, (std::vector<std::string>{first, second})) << "other types and bad check bytes skipped; a bad length ends it";
}

TEST_F(ServiceLinksTest, RelayFailures) {
  relay.answer(std::string(1, '\x01'));
  EXPECT_FALSE(RelayLink::open(endpoints, 0, 1, 1, stop)) << "ticket cut short";
  relay.answer(std::string(2, '\0'));
  EXPECT_FALSE(RelayLink::open(endpoints, 0, 1, 1, stop)) << "ticket 0";
  EXPECT_FALSE(RelayLink::open(endpoints, 2, 1, 1, stop)) << "there are two relays";
}

TEST_F(ServiceLinksTest, StopWakesAReceiverAndEndsWaits) {
  std::string ticket;
  util::append_u16(ticket, 5);
  relay.answer(ticket, FakeServiceServer::After::Hold);
  std::unique_ptr<RelayLink> link = RelayLink::open(endpoints, 0, 1, 1, stop);
  ASSERT_TRUE(link);
  std::atomic<bool> ended{false};
  std::thread receiver([&] {
    link->receive([](std::string) {});
    ended = true;
  });
  stop.stop();
  receiver.join();
  EXPECT_TRUE(ended);
  EXPECT_FALSE(stop.pause_ms(60000)) << "a pause ends at once once stopped";
  EXPECT_FALSE(fetch(0)) << "nothing new is connected once stopped";
}

}  // namespace
}  // namespace dovel::search
