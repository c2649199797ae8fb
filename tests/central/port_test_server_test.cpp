#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <thread>

#include "central/central_fixture.h"
#include "central/udp_receiver.h"
#include "service/port_test_messages.h"

namespace dovel::central::test {
namespace {

using service::PortTestKind;

class PortTestTest : public CentralFixture {
 protected:
  std::optional<service::PortTestReply> run_test(std::string_view payload) {
    auto client = connect(endpoints().port_test[0]);
    EXPECT_TRUE(client && client->send_frame(service::kPortTestType, payload));
    std::optional<std::string> reply = client ? client->read_fixed_reply(service::kPortTestReplySize) : std::nullopt;
    return reply ? service::parse_port_test_reply(*reply) : std::nullopt;
  }
  std::optional<service::PortTestReply> run_test(PortTestKind kind, uint16_t port) {
    return run_test(service::build_port_test_request({kind, port, 1234}));
  }

  // A port of the client's address that nothing listens on.
  uint16_t closed_port() {
    platform::UniqueFd probe(platform::make_tcp_listener(client_address, 0, 1));
    return platform::local_port(probe.get());
  }
};

TEST_F(PortTestTest, ReachableTcpPortIsConnectedBackFromTheServiceHost) {
  platform::UniqueFd listener(platform::make_tcp_listener(client_address, 0, 5));
  ASSERT_TRUE(listener.valid());
  std::optional<service::PortTestReply> reply = run_test(PortTestKind::Tcp, platform::local_port(listener.get()));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->code, 0u);
  EXPECT_EQ(reply->address, client_address);

  ASSERT_EQ(platform::wait_readable(listener.get(), kReplyTimeoutMs), platform::WaitResult::Ready);
  sockaddr_in from{};
  socklen_t size = sizeof from;
  platform::UniqueFd accepted(::accept(listener.get(), reinterpret_cast<sockaddr*>(&from), &size));
  ASSERT_TRUE(accepted.valid());
  EXPECT_EQ(from.sin_addr.s_addr, service_address);
}

TEST_F(PortTestTest, UnreachableTcpPortIsCodeOne) {
  std::optional<service::PortTestReply> reply = run_test(PortTestKind::Tcp, closed_port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->code, 1u);
  EXPECT_EQ(reply->address, client_address);
}

TEST_F(PortTestTest, UdpProbeThatComesBackIsCodeZero) {
  platform::UniqueFd udp(platform::make_udp_socket_bound(client_address, 0));
  ASSERT_TRUE(udp.valid());
  // As the client does: what arrives goes back to the sender's address at the port-test port.
  std::thread echo([&] {
    if (platform::wait_readable(udp.get(), kReplyTimeoutMs) != platform::WaitResult::Ready) return;
    char bytes[16];
    sockaddr_in from{};
    socklen_t size = sizeof from;
    ssize_t got = ::recvfrom(udp.get(), bytes, sizeof bytes, 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (got == 4) send_datagram(udp.get(), std::string_view(bytes, 4), {from.sin_addr.s_addr, endpoints().port_test[0].port});
  });
  std::optional<service::PortTestReply> reply = run_test(PortTestKind::Udp, platform::local_port(udp.get()));
  echo.join();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->code, 0u);
  EXPECT_EQ(reply->address, client_address);
}

TEST_F(PortTestTest, MalformedRequestIsCodeTwo) {
  const std::string request = service::build_port_test_request({PortTestKind::Tcp, 9910, 1});
  std::string unknown_kind = request;
  unknown_kind[0] = 2;
  for (const std::string& payload : {service::build_port_test_request({PortTestKind::Tcp, 0, 1}), unknown_kind, request.substr(0, 6)}) {
    std::optional<service::PortTestReply> reply = run_test(payload);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->code, 2u);
  }
}

class PortTestWithoutEchoTest : public PortTestTest {
  void configure(CentralConfig& config) override { config.limits.echo_wait_ms = 200; }
};

TEST_F(PortTestWithoutEchoTest, UdpProbeWithoutEchoIsCodeOne) {
  platform::UniqueFd silent(platform::make_udp_socket_bound(client_address, 0));
  std::optional<service::PortTestReply> reply = run_test(PortTestKind::Udp, platform::local_port(silent.get()));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->code, 1u);
}

class BusyPortTestTest : public PortTestTest {
  void configure(CentralConfig& config) override { config.limits.max_port_tests = 0; }
};

TEST_F(BusyPortTestTest, TestBeyondTheRunningLimitIsCodeThree) {
  std::optional<service::PortTestReply> reply = run_test(PortTestKind::Tcp, 9910);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->code, 3u);
}

}  // namespace
}  // namespace dovel::central::test
