#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace dovel::test {

// The other side of a test's connections: listens on a loopback address of its
// own and runs `script` on every connection it accepts, each on a thread of its
// own. A script reads and writes as it likes; when it returns the connection
// closes. Destroying the peer shuts the listener and every open connection down
// (so a script blocked in a read ends at once) and joins every thread.
class ScriptedPeer {
 public:
  using Script = std::function<void(int connection)>;
  static constexpr int kReadMs = 10000;

  explicit ScriptedPeer(Script script);
  ~ScriptedPeer();
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  platform::Ipv4 address() const { return address_; }
  uint16_t port() const { return port_; }
  // "http://address:port", for scripts that play a web host.
  std::string http_base() const;
  // The connections whose scripts have returned.
  size_t served() const { return served_; }

 private:
  void accept_loop();

  const Script script_;
  const platform::Ipv4 address_;
  platform::UniqueFd listener_;
  uint16_t port_ = 0;
  std::mutex lock_;
  std::vector<int> open_;  // connections whose scripts still run
  std::vector<std::thread> scripts_;
  std::atomic<bool> stopping_{false};
  std::atomic<size_t> served_{0};
  std::thread acceptor_;
};

// A web host of the test's own that answers every request with one answer, and
// keeps the head of the last request it read.
class AnsweringWebHost {
 public:
  // How the answer goes out: at once, never (the host only listens), or one
  // byte at a time, 100 ms apart.
  enum class Pace { AtOnce, Silent, Trickling };

  explicit AnsweringWebHost(std::string answer, Pace pace = Pace::AtOnce);

  std::string base() const { return peer_.http_base(); }
  std::string request() const;

 private:
  void answer(int connection);

  const std::string answer_;
  const Pace pace_;
  mutable std::mutex lock_;
  std::string request_;
  ScriptedPeer peer_;  // last: its threads end before the rest goes
};

// What a script reads most: the next `count` bytes ("" when they do not all come
// within kReadMs), everything up to the end of an HTTP request's head, or the
// rest until the other side closes.
std::string read_exactly(int connection, size_t count);
std::string read_http_request(int connection);
void read_until_closed(int connection);
bool send_text(int connection, const std::string& bytes);

}  // namespace dovel::test
