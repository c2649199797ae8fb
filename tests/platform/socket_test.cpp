#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace dovel::platform {
namespace {

const Ipv4 kLoopback = htonl(INADDR_LOOPBACK);

TEST(Ipv4, ParseAndFormat) {
  struct Case {
    std::string text;
    std::optional<uint32_t> host_order;  // nullopt: refused
  };
  const Case cases[] = {
      {"127.0.0.1", 0x7f000001u},
      {"0.0.0.0", 0u},
      {"255.255.255.255", 0xffffffffu},
      {"192.168.10.200", 0xc0a80ac8u},
      {"1.2.3.4", 0x01020304u},
      // inet_pton is strict: four decimal parts, no blanks, no leading zeros, no hex.
      {"256.1.1.1", std::nullopt},
      {"1.2.3.256", std::nullopt},
      {"1.2.3", std::nullopt},
      {"1.2.3.4.5", std::nullopt},
      {"1..2.3", std::nullopt},
      {"", std::nullopt},
      {"1.2.3.4 ", std::nullopt},
      {" 1.2.3.4", std::nullopt},
      {"1.2.3.4\n", std::nullopt},
      {"01.2.3.4", std::nullopt},
      {"1.2.3.04", std::nullopt},
      {"0x7f.0.0.1", std::nullopt},
      {"+1.2.3.4", std::nullopt},
      {"-1.2.3.4", std::nullopt},
      {"localhost", std::nullopt},
      {"1.2.3.4:80", std::nullopt},
      {"111.111.111.1111", std::nullopt},
      // A NUL byte ends a C string, but not the text we were given.
      {std::string("1.2.3.4\0", 8), std::nullopt},
      {std::string("1.2.3.4\0junk", 12), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    std::optional<Ipv4> parsed = parse_ipv4(c.text);
    EXPECT_EQ(parsed.has_value(), c.host_order.has_value());
    if (!parsed || !c.host_order) continue;
    EXPECT_EQ(*parsed, htonl(*c.host_order)) << "kept in network byte order";
    EXPECT_EQ(format_ipv4(*parsed), c.text);
  }
}

// One accepted TCP connection on loopback: `client` connected through connect_tcp,
// `server` the accepted end.
struct Connection {
  UniqueFd listener;
  UniqueFd client;
  UniqueFd server;
};

Connection connect_pair() {
  Connection pair;
  pair.listener.reset(make_tcp_listener(kLoopback, 0, 4));
  EXPECT_TRUE(pair.listener.valid());
  const uint16_t port = local_port(pair.listener.get());
  EXPECT_NE(port, 0);
  pair.client.reset(create_tcp_socket());
  EXPECT_TRUE(connect_tcp(pair.client.get(), kLoopback, port, 5000));
  // The connection is already queued, so accept does not wait; bound it anyway.
  if (wait_readable(pair.listener.get(), 5000) == WaitResult::Ready) {
    pair.server.reset(::accept4(pair.listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
  }
  EXPECT_TRUE(pair.server.valid());
  return pair;
}

TEST(Socket, ListenerAcceptsAConnectionAndDataFlowsBothWays) {
  Connection pair = connect_pair();
  ASSERT_TRUE(pair.server.valid());
  EXPECT_EQ(::fcntl(pair.client.get(), F_GETFL) & O_NONBLOCK, 0) << "connect_tcp leaves the socket blocking";

  const std::string request = "hello, peer";
  ASSERT_EQ(send_all(pair.client.get(), request.data(), request.size()), static_cast<ssize_t>(request.size()));
  std::string received;
  char buffer[64];
  while (received.size() < request.size()) {
    ssize_t got = receive_some(pair.server.get(), buffer, sizeof buffer, 5000);
    ASSERT_GT(got, 0);
    received.append(buffer, static_cast<size_t>(got));
  }
  EXPECT_EQ(received, request);

  // A larger reply than the socket buffers hold: send_all keeps going until all is out.
  std::vector<char> reply(4 << 20);
  for (size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<char>(i * 31);
  auto sender = std::async(std::launch::async, [&] { return send_all(pair.server.get(), reply.data(), reply.size()); });
  std::vector<char> got_back;
  std::vector<char> chunk(65536);
  while (got_back.size() < reply.size()) {
    ssize_t got = receive_some(pair.client.get(), chunk.data(), chunk.size(), 5000);
    ASSERT_GT(got, 0);
    got_back.insert(got_back.end(), chunk.begin(), chunk.begin() + got);
  }
  EXPECT_EQ(sender.get(), static_cast<ssize_t>(reply.size()));
  EXPECT_TRUE(got_back == reply);

  pair.client.reset();
  EXPECT_EQ(receive_some(pair.server.get(), buffer, sizeof buffer, 5000), 0) << "0 once the peer closed";
}

TEST(Socket, ConnectToAPortNobodyListensOnFailsQuickly) {
  // A bound socket that does not listen keeps the port ours, so nobody else can
  // start listening on it while the test runs.
  UniqueFd holder(create_tcp_socket());
  ASSERT_TRUE(holder.valid());
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = kLoopback;
  ASSERT_EQ(::bind(holder.get(), reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
  const uint16_t port = local_port(holder.get());
  ASSERT_NE(port, 0);

  UniqueFd client(create_tcp_socket());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(connect_tcp(client.get(), kLoopback, port, 30'000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << "refused at once, not after the time-out";
}

TEST(Socket, ReceiveFromASilentPeerTimesOut) {
  Connection pair = connect_pair();
  ASSERT_TRUE(pair.server.valid());
  char buffer[16];
  EXPECT_EQ(receive_some(pair.server.get(), buffer, sizeof buffer, 50), -1);
  EXPECT_EQ(receive_some(pair.server.get(), buffer, sizeof buffer, 0), -1);
  EXPECT_EQ(wait_readable(pair.server.get(), 0), WaitResult::Timeout);
  EXPECT_EQ(wait_writable(pair.server.get(), 1000), WaitResult::Ready);
}

TEST(Socket, ShutdownWakesAReaderWaitingWithoutTimeOut) {
  Connection pair = connect_pair();
  ASSERT_TRUE(pair.server.valid());
  std::atomic<bool> started{false};
  std::promise<ssize_t> result;
  std::future<ssize_t> finished = result.get_future();
  std::thread reader([&] {
    started = true;
    char buffer[16];
    result.set_value(receive_some(pair.server.get(), buffer, sizeof buffer, -1));
  });
  while (!started) std::this_thread::yield();

  shutdown_socket(pair.server.get());
  const bool woke = finished.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!woke) pair.client.reset();  // let the reader end so the thread can be joined
  reader.join();
  EXPECT_TRUE(woke);
  EXPECT_EQ(finished.get(), 0);
  shutdown_socket(-1);  // harmless
}

TEST(Socket, SendToAClosedPeerFailsWithoutSigpipe) {
  // Make sure a SIGPIPE would end this process: the default action, not ignored.
  struct sigaction previous {};
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  ASSERT_EQ(::sigaction(SIGPIPE, &default_action, &previous), 0);

  Connection pair = connect_pair();
  ASSERT_TRUE(pair.server.valid());
  pair.server.reset();
  pair.listener.reset();

  // The first send may still be accepted; the peer's reset makes a later one fail.
  const std::vector<char> data(65536, 'x');
  ssize_t result = 0;
  for (int attempt = 0; attempt < 100 && result >= 0; ++attempt) result = send_all(pair.client.get(), data.data(), data.size());
  EXPECT_EQ(result, -1);

  ::sigaction(SIGPIPE, &previous, nullptr);
}

TEST(Socket, UdpDatagramOnLoopback) {
  UniqueFd receiver(make_udp_socket_bound(kLoopback, 0));
  ASSERT_TRUE(receiver.valid());
  const uint16_t port = local_port(receiver.get());
  ASSERT_NE(port, 0);
  UniqueFd sender(create_udp_socket());
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_addr.s_addr = kLoopback;
  target.sin_port = htons(port);
  const char message[] = "datagram";
  ASSERT_EQ(::sendto(sender.get(), message, sizeof message, 0, reinterpret_cast<sockaddr*>(&target), sizeof target),
            static_cast<ssize_t>(sizeof message));
  char buffer[32] = {};
  EXPECT_EQ(receive_some(receiver.get(), buffer, sizeof buffer, 5000), static_cast<ssize_t>(sizeof message));
  EXPECT_STREQ(buffer, message);
}

TEST(Socket, ListenerOnAPortInUseFails) {
  UniqueFd first(make_tcp_listener(kLoopback, 0, 1));
  ASSERT_TRUE(first.valid());
  EXPECT_EQ(make_tcp_listener(kLoopback, local_port(first.get()), 1), -1);
}

TEST(UniqueFd, ClosesWhatItOwnsAndHandsOverOnMove) {
  auto is_open = [](int fd) { return ::fcntl(fd, F_GETFD) >= 0; };
  int raw_a = create_udp_socket();
  int raw_b = create_udp_socket();
  ASSERT_GE(raw_a, 0);
  ASSERT_GE(raw_b, 0);
  {
    UniqueFd a(raw_a);
    UniqueFd b(raw_b);
    a = std::move(b);
    EXPECT_FALSE(is_open(raw_a)) << "the replaced descriptor is closed";
    EXPECT_EQ(a.get(), raw_b);
    EXPECT_FALSE(b.valid());
    UniqueFd c(std::move(a));
    EXPECT_EQ(c.get(), raw_b);
    EXPECT_FALSE(a.valid());
    EXPECT_TRUE(is_open(raw_b));
  }
  EXPECT_FALSE(is_open(raw_b));

  UniqueFd released(create_udp_socket());
  int kept = released.release();
  EXPECT_FALSE(released.valid());
  EXPECT_TRUE(is_open(kept));
  ::close(kept);
}

}  // namespace
}  // namespace dovel::platform
