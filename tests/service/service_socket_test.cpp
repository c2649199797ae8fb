#include "service/service_socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "parsed_frame.h"
#include "platform/clock.h"
#include "service/frame.h"
#include "support/socket_pair.h"

namespace dovel::service {
namespace {

using namespace std::chrono_literals;
using platform::Deadline;
using test::elapsed_since;
using test::SocketPair;

const platform::Ipv4 kLoopback = *platform::parse_ipv4("127.0.0.1");

// ---- send_frame ----

TEST(SendFrame, SendsABuiltFrame) {
  SocketPair pair;
  uint16_t before = static_cast<uint16_t>(platform::system_clock().tick());
  ASSERT_EQ(send_frame(pair.ours(), 0x0A0B, "payload"), 8 + 7);
  uint16_t after = static_cast<uint16_t>(platform::system_clock().tick());

  std::string frame = pair.peer_receive(8 + 7);
  ASSERT_EQ(frame.size(), 15u);
  auto parsed = test::parse_frame(frame);
  EXPECT_EQ(parsed.check, frame_check_word(parsed.tick16));
  // The tick is the clock's when the frame was built (modulo 2^16).
  EXPECT_LE(static_cast<uint16_t>(parsed.tick16 - before), static_cast<uint16_t>(after - before));
  EXPECT_EQ(parsed.length, 7 + 2);
  EXPECT_EQ(parsed.type, 0x0A0B);
  EXPECT_EQ(parsed.payload, "payload");
}

TEST(SendFrame, EmptyPayloadIsAHeaderOnly) {
  SocketPair pair;
  ASSERT_EQ(send_frame(pair.ours(), 3, ""), 8);
  auto parsed = test::parse_frame(pair.peer_receive(8));
  EXPECT_EQ(parsed.length, 2);
  EXPECT_EQ(parsed.type, 3);
  EXPECT_EQ(parsed.payload, "");
}

TEST(SendFrame, RefusesWithoutSendingAnything) {
  SocketPair pair;
  EXPECT_EQ(send_frame(pair.ours(), 1, std::string(kMaxFramePayload + 1, 'x')), -1);
  EXPECT_EQ(send_frame(kInvalidSocket, 1, "x"), -1);
  // Nothing may have reached the peer.
  char byte;
  EXPECT_EQ(::recv(pair.theirs(), &byte, 1, MSG_DONTWAIT), -1);
}

TEST(SendFrame, FailsWhenThePeerIsGone) {
  SocketPair pair;
  pair.peer_close();
  EXPECT_EQ(send_frame(pair.ours(), 1, "x"), -1);
}

// ---- receive_exact ----

TEST(ReceiveExact, CollectsBytesThatArriveInPieces) {
  SocketPair pair;
  pair.peer_send("abc");
  std::thread rest([&] { pair.peer_send("defgh"); });
  char buffer[8];
  int got = receive_exact(pair.ours(), buffer, sizeof buffer, 2000, Deadline::after_ms(5000));
  rest.join();
  ASSERT_EQ(got, 8);
  EXPECT_EQ(std::string(buffer, 8), "abcdefgh");
}

TEST(ReceiveExact, TakesNoMoreThanAsked) {
  SocketPair pair;
  pair.peer_send("abcdef");
  char buffer[4];
  ASSERT_EQ(receive_exact(pair.ours(), buffer, sizeof buffer, 2000, Deadline::after_ms(5000)), 4);
  EXPECT_EQ(pair.unread(2), "ef");
}

TEST(ReceiveExact, FailsWhenThePeerClosesEarly) {
  SocketPair pair;
  pair.peer_send("abc");
  pair.peer_close();
  char buffer[8];
  EXPECT_EQ(receive_exact(pair.ours(), buffer, sizeof buffer, 2000, Deadline::after_ms(5000)), -1);
}

TEST(ReceiveExact, InvalidSocketFails) {
  char buffer[1];
  EXPECT_EQ(receive_exact(kInvalidSocket, buffer, 1, 100, Deadline::after_ms(100)), -1);
}

TEST(ReceiveExact, PerReadTimeoutEndsASilentWait) {
  SocketPair pair;
  test::Watchdog watchdog(pair.ours(), pair.theirs());
  auto start = std::chrono::steady_clock::now();
  char buffer[1];
  EXPECT_EQ(receive_exact(pair.ours(), buffer, 1, 100, Deadline::after_ms(60000)), -1);
  EXPECT_LT(elapsed_since(start), 5s);
}

// A peer that sends one byte now and then satisfies every single read, so only
// the overall deadline can end the call. Without a per-read limit (-1) the
// deadline still applies, also when the peer sends nothing at all.
TEST(ReceiveExact, OverallDeadlineBeatsATricklingOrSilentPeer) {
  struct Case {
    const char* name;
    int read_timeout_ms;
    bool trickle;
  };
  for (const Case& c : {Case{"trickle, 1000 ms reads", 1000, true}, Case{"trickle, unlimited reads", -1, true},
                        Case{"silent, unlimited reads", -1, false}}) {
    SCOPED_TRACE(c.name);
    SocketPair pair;
    test::Watchdog watchdog(pair.ours(), pair.theirs());
    std::optional<test::Trickler> trickler;
    if (c.trickle) trickler.emplace(pair.theirs(), 200);
    auto start = std::chrono::steady_clock::now();
    char buffer[100];
    EXPECT_EQ(receive_exact(pair.ours(), buffer, sizeof buffer, c.read_timeout_ms, Deadline::after_ms(200)), -1);
    auto took = elapsed_since(start);
    // It was the deadline that ended it (poll works in whole milliseconds,
    // so allow a little under the 200), and promptly.
    EXPECT_GE(took, 180ms);
    EXPECT_LT(took, 3s);
  }
}

// ---- connecting and closing ----

class LoopbackListener : public ::testing::Test {
 protected:
  void SetUp() override {
    listener_.reset(platform::make_tcp_listener(kLoopback, 0, 4));
    ASSERT_TRUE(listener_.valid());
    port_ = platform::local_port(listener_.get());
    ASSERT_NE(port_, 0);
  }

  // A loopback port nobody listens on: one that was just free.
  static uint16_t closed_port() {
    platform::UniqueFd probe(platform::make_tcp_listener(kLoopback, 0, 1));
    return platform::local_port(probe.get());
  }

  static bool is_blocking(int fd) { return (::fcntl(fd, F_GETFL) & O_NONBLOCK) == 0; }

  platform::UniqueFd listener_;
  uint16_t port_ = 0;
};

TEST_F(LoopbackListener, ConnectSucceedsAndLeavesTheSocketBlocking) {
  int fd = kInvalidSocket;
  ASSERT_TRUE(connect_with_timeout(fd, kLoopback, port_, 5000));
  platform::UniqueFd owned(fd);
  ASSERT_NE(fd, kInvalidSocket);
  EXPECT_TRUE(is_blocking(fd));

  // The connection really is to the listener: what we send arrives there.
  platform::UniqueFd accepted(::accept(listener_.get(), nullptr, nullptr));
  ASSERT_TRUE(accepted.valid());
  ASSERT_EQ(send_frame(fd, 9, "hello"), 13);
  EXPECT_EQ(test::parse_frame(SocketPair::drain(accepted.get(), 13)).payload, "hello");
}

TEST_F(LoopbackListener, AsyncConnectAlsoLeavesTheSocketBlocking) {
  int fd = kInvalidSocket;
  ASSERT_TRUE(connect_async_socket(fd, kLoopback, port_, 5000));
  platform::UniqueFd owned(fd);
  EXPECT_TRUE(is_blocking(fd));
}

TEST_F(LoopbackListener, ConnectToAClosedPortFailsAndInvalidatesTheSocket) {
  uint16_t port = closed_port();
  ASSERT_NE(port, 0);
  int fd = kInvalidSocket;
  EXPECT_FALSE(connect_with_timeout(fd, kLoopback, port, 5000));
  EXPECT_EQ(fd, kInvalidSocket);

  // A socket the caller made is closed on failure too.
  fd = platform::create_tcp_socket();
  ASSERT_NE(fd, kInvalidSocket);
  EXPECT_FALSE(connect_async_socket(fd, kLoopback, port, 5000));
  EXPECT_EQ(fd, kInvalidSocket);
}

TEST(CloseSocket, InvalidatesAndThePeerSeesTheEnd) {
  for (bool linger : {false, true}) {
    SCOPED_TRACE(linger ? "linger" : "shutdown");
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    platform::UniqueFd peer(fds[1]);
    int fd = fds[0];
    close_socket(fd, linger);
    EXPECT_EQ(fd, kInvalidSocket);
    close_socket(fd, linger);  // a second close is harmless
    EXPECT_EQ(fd, kInvalidSocket);
    char byte;
    EXPECT_EQ(platform::receive_some(peer.get(), &byte, 1, 5000), 0);
  }
}

// True once thread `tid` of this process sleeps in the kernel (state S), within
// a few seconds; false if it never does.
bool wait_until_sleeping(pid_t tid) {
  std::string path = "/proc/self/task/" + std::to_string(tid) + "/stat";
  auto deadline = Deadline::after_ms(5000);
  while (!deadline.expired()) {
    std::ifstream in(path);
    std::string stat;
    std::getline(in, stat);
    size_t name_end = stat.rfind(')');
    if (name_end != std::string::npos && name_end + 2 < stat.size() && stat[name_end + 2] == 'S') return true;
    std::this_thread::yield();
  }
  return false;
}

// Closing alone does not wake a reader blocked on the socket; the shutdown does.
// The close is of a duplicate of the reader's descriptor, so the socket outlives
// it, the reader's descriptor stays open while it reads, and only the shutdown
// can end the read before the watchdog does.
TEST(CloseSocket, WithoutLingerWakesABlockedReader) {
  SocketPair pair;
  int fd = ::dup(pair.ours());
  ASSERT_GE(fd, 0);
  test::Watchdog watchdog(pair.ours(), pair.theirs());
  pair.peer_send("1");
  std::atomic<pid_t> reader_tid{0};
  int result = 0;
  std::thread reader([&result, &reader_tid, reading = pair.ours()] {
    reader_tid = ::gettid();
    char bytes[2];
    result = receive_exact(reading, bytes, sizeof bytes, -1, Deadline::after_ms(60000));
  });
  // Once the first byte is taken and the thread sleeps, it waits for the second.
  int queued = 1;
  for (auto deadline = Deadline::after_ms(5000); queued != 0 && !deadline.expired(); std::this_thread::yield()) {
    if (::ioctl(pair.ours(), FIONREAD, &queued) != 0) break;
  }
  EXPECT_EQ(queued, 0);
  EXPECT_TRUE(wait_until_sleeping(reader_tid));

  auto start = std::chrono::steady_clock::now();
  close_socket(fd, false);
  reader.join();
  EXPECT_EQ(result, -1);
  EXPECT_LT(elapsed_since(start), 5s);
}

}  // namespace
}  // namespace dovel::service
