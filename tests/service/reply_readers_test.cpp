#include "service/reply_readers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "service/frame.h"
#include "support/socket_pair.h"
#include "util/little_endian.h"

namespace dovel::service {
namespace {

using namespace std::chrono_literals;
using platform::Deadline;
using test::SocketPair;

// Bytes the peer sends after the reply; a reader must leave them alone.
constexpr std::string_view kTail = "TAIL!";

std::string u16(uint16_t value) {
  std::string out;
  util::append_u16(out, value);
  return out;
}

std::string u32(uint32_t value) {
  std::string out;
  util::append_u32(out, value);
  return out;
}

std::string body_of(size_t length) {
  std::string body;
  for (size_t i = 0; i < length; ++i) body += static_cast<char>('A' + i % 23);
  return body;
}

// Generous enough for a loaded machine; a reader that wrongly waits for a body
// still gives up after a second.
ReplyTiming timing() { return {1000, Deadline::after_ms(5000)}; }

class ReplyReaders : public ::testing::Test {
 protected:
  SocketPair pair_;
};

TEST_F(ReplyReaders, ShortPrefixedAcceptsOneTo2047Bytes) {
  for (uint16_t length : {uint16_t{1}, uint16_t{2}, uint16_t{2047}}) {
    SCOPED_TRACE(length);
    std::string body = body_of(length);
    pair_.peer_send(u16(length) + body + std::string(kTail));
    EXPECT_EQ(read_short_prefixed_reply(pair_.ours(), timing()), body);
    EXPECT_EQ(pair_.unread(kTail.size()), kTail);
  }
}

// A bad length is refused before any of the body is read or allocated.
TEST_F(ReplyReaders, ShortPrefixedRefusesBadLengthsWithoutReadingOn) {
  for (uint16_t length : {uint16_t{0}, uint16_t{2048}, uint16_t{0xFFFF}}) {
    SCOPED_TRACE(length);
    pair_.peer_send(u16(length) + std::string(kTail));
    EXPECT_FALSE(read_short_prefixed_reply(pair_.ours(), timing()));
    EXPECT_EQ(pair_.unread(kTail.size()), kTail);
  }
}

TEST_F(ReplyReaders, LongPrefixedAcceptsUpToTheMaximum) {
  for (uint32_t length : {1u, 100u}) {
    SCOPED_TRACE(length);
    std::string body = body_of(length);
    pair_.peer_send(u32(length) + body + std::string(kTail));
    EXPECT_EQ(read_long_prefixed_reply(pair_.ours(), 100, timing()), body);
    EXPECT_EQ(pair_.unread(kTail.size()), kTail);
  }
}

TEST_F(ReplyReaders, LongPrefixedRefusesBadLengthsWithoutReadingOn) {
  struct Case {
    uint32_t length;
    uint32_t max_length;
  };
  for (const Case& c : {Case{0, 100}, Case{101, 100}, Case{0xFFFFFFFF, 100},
                        Case{kMaxServerListReply + 1, kMaxServerListReply}}) {
    SCOPED_TRACE(c.length);
    pair_.peer_send(u32(c.length) + std::string(kTail));
    EXPECT_FALSE(read_long_prefixed_reply(pair_.ours(), c.max_length, timing()));
    EXPECT_EQ(pair_.unread(kTail.size()), kTail);
  }
}

TEST_F(ReplyReaders, TypedSplitsTypeFromBody) {
  struct Case {
    uint16_t type;
    std::string body;
  };
  // Length 2 is a type with no body.
  for (const Case& c : {Case{0x0102, ""}, Case{0xFFFF, "hello"}, Case{7, body_of(3000)}}) {
    SCOPED_TRACE(c.body.size());
    pair_.peer_send(u16(static_cast<uint16_t>(c.body.size() + 2)) + u16(c.type) + c.body + std::string(kTail));
    auto reply = read_typed_reply(pair_.ours(), timing());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->type, c.type);
    EXPECT_EQ(reply->body, c.body);
    EXPECT_EQ(pair_.unread(kTail.size()), kTail);
  }
}

TEST_F(ReplyReaders, TypedRefusesALengthThatCannotHoldTheType) {
  for (uint16_t length : {uint16_t{0}, uint16_t{1}}) {
    SCOPED_TRACE(length);
    SocketPair pair;
    pair.peer_send(u16(length) + u16(0x0102) + std::string(kTail));
    EXPECT_FALSE(read_typed_reply(pair.ours(), timing()));
  }
}

TEST_F(ReplyReaders, FixedReadsExactlyTheCount) {
  pair_.peer_send("abcdef" + std::string(kTail));
  EXPECT_EQ(read_fixed_reply(pair_.ours(), 0, timing()), "");
  EXPECT_EQ(read_fixed_reply(pair_.ours(), 6, timing()), "abcdef");
  EXPECT_EQ(pair_.unread(kTail.size()), kTail);
}


// ---- what every reader must do with a misbehaving peer ----

constexpr size_t kBodySize = 50;

struct ReaderCase {
  const char* name;
  std::string header;  // announces a body of kBodySize bytes
  std::function<bool(int, const ReplyTiming&)> read;
};

std::vector<ReaderCase> all_readers() {
  return {
      {"short prefixed", u16(kBodySize),
       [](int fd, const ReplyTiming& t) { return read_short_prefixed_reply(fd, t).has_value(); }},
      {"long prefixed", u32(kBodySize),
       [](int fd, const ReplyTiming& t) { return read_long_prefixed_reply(fd, 100, t).has_value(); }},
      {"typed", u16(kBodySize + 2) + u16(1),
       [](int fd, const ReplyTiming& t) { return read_typed_reply(fd, t).has_value(); }},
      {"fixed", "", [](int fd, const ReplyTiming& t) { return read_fixed_reply(fd, kBodySize, t).has_value(); }},
  };
}

TEST(ReplyReadersPeer, CompleteReplyIsAccepted) {
  for (const ReaderCase& reader : all_readers()) {
    SCOPED_TRACE(reader.name);
    SocketPair pair;
    pair.peer_send(reader.header + body_of(kBodySize));
    EXPECT_TRUE(reader.read(pair.ours(), timing()));
  }
}

TEST(ReplyReadersPeer, PeerClosingMidReplyFails) {
  for (const ReaderCase& reader : all_readers()) {
    // Cut inside the header (where there is one) and inside the body.
    std::vector<size_t> cuts = {reader.header.size() + kBodySize / 2, reader.header.size() + kBodySize - 1};
    if (reader.header.size() > 1) cuts.push_back(1);
    for (size_t cut : cuts) {
      SCOPED_TRACE(std::string(reader.name) + ", cut after " + std::to_string(cut));
      SocketPair pair;
      pair.peer_send((reader.header + body_of(kBodySize)).substr(0, cut));
      pair.peer_close();
      EXPECT_FALSE(reader.read(pair.ours(), timing()));
    }
  }
}

// Each byte arrives well within the per-read time-out, but the reply as a whole
// would take 1.5 s: the overall deadline must end it (a reader that ignores it
// gets the whole body and succeeds).
TEST(ReplyReadersPeer, TricklingPeerFailsAtTheDeadline) {
  for (const ReaderCase& reader : all_readers()) {
    SCOPED_TRACE(reader.name);
    SocketPair pair;
    test::Watchdog watchdog(pair.ours(), pair.theirs());
    pair.peer_send(reader.header);
    test::Trickler trickler(pair.theirs(), kBodySize);
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(reader.read(pair.ours(), ReplyTiming{1000, Deadline::after_ms(200)}));
    auto took = test::elapsed_since(start);
    // It was the deadline that ended it (poll works in whole milliseconds,
    // so allow a little under the 200), and promptly.
    EXPECT_GE(took, 180ms);
    EXPECT_LT(took, 3s);
  }
}

}  // namespace
}  // namespace dovel::service
