#include <gtest/gtest.h>

#include "central/central_fixture.h"
#include "central/udp_receiver.h"
#include "support/eventually.h"
#include "service/relay_messages.h"
#include "util/little_endian.h"
#include "wire/result_datagram.h"

namespace dovel::central::test {
namespace {

class SearchRelayTest : public CentralFixture {
 protected:
  // A relay connection with its ticket.
  std::pair<CentralClient, uint16_t> ticket() {
    auto client = connect(endpoints().relay[0]);
    EXPECT_TRUE(client && client->send_frame(service::kRelayTicketType, service::build_ticket_request(client_address, 9910)));
    std::optional<std::string> answer = client ? client->read_fixed_reply(2) : std::nullopt;
    EXPECT_TRUE(answer);
    return {std::move(*client), answer ? util::read_u16(answer->data()) : uint16_t{0}};
  }

  static std::string result_for(uint16_t ticket, std::string_view payload) {
    wire::ResultHeader header;
    header.responder_address = *platform::parse_ipv4("10.1.2.3");
    header.responder_port = 9910;
    std::string key = service::searcher_key_of_ticket(ticket);
    std::copy(key.begin(), key.end(), header.searcher_key.begin());
    header.search_number = 77;
    header.destination = 1;
    return wire::build_result_datagram(header, payload);
  }

  void send_udp(std::string_view datagram) {
    platform::UniqueFd socket(platform::make_udp_socket_bound(client_address, 0));
    ASSERT_TRUE(send_datagram(socket.get(), datagram, endpoints().relay[1]));
  }
};

TEST_F(SearchRelayTest, ResultForATicketArrivesAsType51Frame) {
  auto [connection, ticket_number] = ticket();
  ASSERT_NE(ticket_number, 0);
  std::string datagram = result_for(ticket_number, "bob*movie.avi|1000|00112233445566778899aabbccddeeff|1|0*");
  send_udp(datagram);
  std::optional<service::TypedReply> forwarded = connection.read_typed_reply();
  ASSERT_TRUE(forwarded);
  EXPECT_EQ(forwarded->type, service::kRelayedResultType);
  EXPECT_EQ(forwarded->body, datagram);
}

TEST_F(SearchRelayTest, DatagramsNotForALiveTicketAreDropped) {
  auto [first, first_ticket] = ticket();
  auto [second, second_ticket] = ticket();
  ASSERT_NE(first_ticket, second_ticket);
  const uint16_t unknown = static_cast<uint16_t>(first_ticket ^ second_ticket ^ 0x5555);
  std::string valid = result_for(first_ticket, "bob*");
  std::string bad_check = valid;
  bad_check[0] ^= 1;
  std::string too_long = result_for(first_ticket, std::string(service::kMaxRelayedLength, 'x'));
  for (const std::string& dropped : {result_for(unknown, "bob*"), result_for(0, "bob*"), bad_check, too_long, valid.substr(0, 20)}) {
    send_udp(dropped);
  }
  send_udp(valid);
  std::string for_second = result_for(second_ticket, "carol*");
  send_udp(for_second);
  // Datagrams are handled in order: anything forwarded by mistake would come first.
  std::optional<service::TypedReply> forwarded = first.read_typed_reply();
  ASSERT_TRUE(forwarded);
  EXPECT_EQ(forwarded->body, valid);
  forwarded = second.read_typed_reply();
  ASSERT_TRUE(forwarded);
  EXPECT_EQ(forwarded->body, for_second);
}

TEST_F(SearchRelayTest, TicketIsReleasedWithItsConnection) {
  uint16_t released = 0;
  {
    auto [connection, number] = ticket();
    released = number;
  }
  ASSERT_TRUE(dovel::test::eventually([&] { return request_log().find("released " + std::to_string(released)) != std::string::npos; }));
  send_udp(result_for(released, "late*"));
  EXPECT_TRUE(dovel::test::eventually(
      [&] { return request_log().find("dropped, unknown ticket " + std::to_string(released)) != std::string::npos; }));
}

}  // namespace
}  // namespace dovel::central::test
