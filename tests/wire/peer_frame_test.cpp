#include "wire/peer_frame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "service/frame.h"
#include "support/socket_pair.h"
#include "util/little_endian.h"

namespace dovel::wire {
namespace {

using namespace std::chrono_literals;
using test::SocketPair;

// Bytes the peer sends after the frame; a reader must leave them alone.
constexpr std::string_view kTail = "TAIL!";

std::string length_word(uint32_t value) {
  std::string out;
  util::append_u32(out, value);
  return out;
}

std::string body_of(size_t length) {
  std::string body;
  for (size_t i = 0; i < length; ++i) body += static_cast<char>('A' + i % 23);
  return body;
}

constexpr FrameTiming kQuick{1000, 1000, 2000};

TEST(PeerFrame, KnownBytes) {
  // 2 ^ 5E21C7A4 little-endian, then "hi" scrambled.
  const std::string expected = {'\xA6', '\xC7', '\x21', '\x5E', '\xCC', '\xAE'};
  EXPECT_EQ(build_peer_frame("hi"), expected);
  EXPECT_EQ(build_peer_frame(""), std::string("\xA4\xC7\x21\x5E", 4));
}

TEST(PeerFrame, RoundTripLeavesWhatFollows) {
  for (const std::string& payload : {std::string("x"), std::string("hello, world"), body_of(100), body_of(9000)}) {
    SCOPED_TRACE(payload.size());
    SocketPair pair;
    pair.peer_send(build_peer_frame(payload) + std::string(kTail));
    PeerFrame frame = read_peer_frame(pair.ours(), 10000, kQuick);
    EXPECT_EQ(frame.kind, PeerFrame::Kind::Payload);
    EXPECT_EQ(frame.payload, payload);
    EXPECT_EQ(pair.unread(kTail.size()), kTail);
  }
}

TEST(PeerFrame, AnEmptyFrameIsAKeepAliveForAClientAndAnEndForAServer) {
  SocketPair pair;
  pair.peer_send(build_peer_frame("") + build_peer_frame(""));
  EXPECT_EQ(read_server_frame(pair.ours(), 1000).kind, PeerFrame::Kind::KeepAlive);
  EXPECT_FALSE(read_client_frame(pair.ours(), kMaxClientFrameLength, 1000, 1000));
}

TEST(PeerFrame, BadLengthsAreRefusedWithoutReadingOn) {
  // An unkeyed length of 5 reads as a huge one.
  for (uint32_t word : {service::kScrambleKey ^ 101u, 5u}) {
    SCOPED_TRACE(word);
    SocketPair pair;
    pair.peer_send(length_word(word) + std::string(kTail));
    EXPECT_EQ(read_peer_frame(pair.ours(), 100, kQuick).kind, PeerFrame::Kind::End);
    EXPECT_EQ(pair.unread(kTail.size()), kTail);
  }
}

TEST(PeerFrame, APeerThatClosesMidFrameEndsIt) {
  const std::string frame = build_peer_frame(body_of(50));
  for (size_t cut : {size_t{1}, size_t{3}, size_t{4}, size_t{30}, frame.size() - 1}) {
    SCOPED_TRACE(cut);
    SocketPair pair;
    pair.peer_send(frame.substr(0, cut));
    pair.peer_close();
    EXPECT_EQ(read_peer_frame(pair.ours(), 100, kQuick).kind, PeerFrame::Kind::End);
  }
}

// Each byte arrives well within the per-read time-out, but the frame as a whole
// would take seconds: the whole-frame limit ends it.
TEST(PeerFrame, ATricklingPeerIsEndedByTheWholeFrameLimit) {
  SocketPair pair;
  test::Watchdog watchdog(pair.ours(), pair.theirs());
  pair.peer_send(length_word(50 ^ service::kScrambleKey));
  test::Trickler trickler(pair.theirs(), 50);
  EXPECT_EQ(read_peer_frame(pair.ours(), 100, {1000, 1000, 200}).kind, PeerFrame::Kind::End);
}

TEST(PeerFrame, SilenceEndsTheWait) {
  SocketPair pair;
  EXPECT_EQ(read_server_frame(pair.ours(), 50).kind, PeerFrame::Kind::End);
  EXPECT_FALSE(read_client_frame(pair.ours(), kMaxClientFrameLength, 50, 50));
}

}  // namespace
}  // namespace dovel::wire
