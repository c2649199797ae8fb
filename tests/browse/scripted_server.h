#pragma once


#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"
#include "service/frame.h"
#include "support/scripted_peer.h"
#include "util/little_endian.h"
#include "wire/peer_frame.h"
#include "wire/wire_text.h"

namespace dovel::browse::test_support {

// A frame as a share server sends it on its control and side channels.
inline std::string frame(std::string_view payload) { return wire::build_peer_frame(payload); }

// A length word as the server sends it, whatever follows.
inline std::string length_word(uint32_t length) {
  std::string word;
  util::append_u32(word, length ^ service::kScrambleKey);
  return word;
}

// A share server that follows a script: on every connection to its loopback
// address of its own it reads the kind byte, writes its script and then waits
// for the client to go (or closes first when asked).
class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<std::string> script, bool close_after = false)
      : script_(std::move(script)), close_after_(close_after), peer_([this](int connection) { serve(connection); }) {}

  platform::Ipv4 address() const { return peer_.address(); }
  uint16_t port() const { return peer_.port(); }
  char kind() const { return kind_; }

 private:
  void serve(int connection) {
    const std::string byte = dovel::test::read_exactly(connection, 1);
    if (byte.empty()) return;
    kind_ = byte[0];
    for (const std::string& piece : script_) {
      if (!dovel::test::send_text(connection, piece)) return;
    }
    if (!close_after_) dovel::test::read_until_closed(connection);
  }

  const std::vector<std::string> script_;
  const bool close_after_;
  std::atomic<char> kind_{0};
  dovel::test::ScriptedPeer peer_;  // last: its threads end before the rest goes
};

// A share server that greets, then answers each request of the client with
// the frames `answer` gives for it (none: silence), until the client goes.
class AnsweringServer {
 public:
  using Answer = std::function<std::vector<std::string>(std::string_view request)>;

  AnsweringServer(std::vector<std::string> greeting, Answer answer)
      : greeting_(std::move(greeting)), answer_(std::move(answer)), peer_([this](int connection) { serve(connection); }) {}

  platform::Ipv4 address() const { return peer_.address(); }
  uint16_t port() const { return peer_.port(); }
  size_t requests_seen() const { return requests_; }

 private:
  void serve(int connection) {
    if (dovel::test::read_exactly(connection, 1).empty()) return;
    for (const std::string& piece : greeting_) {
      if (!dovel::test::send_text(connection, piece)) return;
    }
    while (auto request = wire::read_client_frame(connection, wire::kMaxClientFrameLength, dovel::test::ScriptedPeer::kReadMs * 6,
                                                  dovel::test::ScriptedPeer::kReadMs)) {
      ++requests_;
      for (const std::string& piece : answer_(wire::up_to_terminator(*request))) {
        if (!dovel::test::send_text(connection, piece)) return;
      }
    }
  }

  const std::vector<std::string> greeting_;
  const Answer answer_;
  std::atomic<size_t> requests_{0};
  dovel::test::ScriptedPeer peer_;  // last: its threads end before the rest goes
};

}  // namespace dovel::browse::test_support
