#pragma once

#include <sys/socket.h>

#include <atomic>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "service/frame.h"
#include "support/loopback_address.h"
#include "util/little_endian.h"
#include "wire/peer_frame.h"

namespace dovel::browse::test_support {

// A frame as a share server sends it on its control and side channels.
inline std::string frame(std::string_view payload) { return wire::build_peer_frame(payload); }

// A length word as the server sends it, whatever follows.
inline std::string length_word(uint32_t length) {
  std::string word;
  util::append_u32(word, length ^ service::kScrambleKey);
  return word;
}

// A share server that follows a script: it accepts one connection on a
// loopback address of its own, reads the kind byte, writes its script and then
// waits for the client to go (or closes first when asked).
class ScriptedServer {
 public:
  static constexpr int kWaitMs = 10000;

  explicit ScriptedServer(std::vector<std::string> script, bool close_after = false)
      : address_(dovel::test::unique_loopback_address()), script_(std::move(script)), close_after_(close_after) {
    listener_.reset(platform::make_tcp_listener(address_, 0, 1));
    port_ = platform::local_port(listener_.get());
    thread_ = std::thread([this] { serve(); });
  }
  ~ScriptedServer() {
    platform::shutdown_socket(listener_.get());
    if (const int connection = connection_; connection >= 0) platform::shutdown_socket(connection);
    thread_.join();
  }
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  platform::Ipv4 address() const { return address_; }
  uint16_t port() const { return port_; }
  char kind() const { return kind_; }

 private:
  void serve() {
    if (platform::wait_readable(listener_.get(), kWaitMs) != platform::WaitResult::Ready) return;
    client_.reset(::accept(listener_.get(), nullptr, nullptr));
    if (!client_.valid()) return;
    connection_ = client_.get();
    char byte = 0;
    if (platform::receive_some(client_.get(), &byte, 1, kWaitMs) != 1) return;
    kind_ = byte;
    for (const std::string& piece : script_) {
      if (platform::send_all(client_.get(), piece.data(), piece.size()) < 0) return;
    }
    if (close_after_) {
      platform::shutdown_socket(client_.get());
      return;
    }
    char sink[4096];
    while (platform::receive_some(client_.get(), sink, sizeof sink, kWaitMs) > 0) {
    }
  }

  platform::Ipv4 address_;
  platform::UniqueFd listener_;
  platform::UniqueFd client_;  // closed only after the thread ended
  uint16_t port_ = 0;
  std::vector<std::string> script_;
  bool close_after_;
  std::atomic<int> connection_{-1};
  std::atomic<char> kind_{0};
  std::thread thread_;
};

}  // namespace dovel::browse::test_support
