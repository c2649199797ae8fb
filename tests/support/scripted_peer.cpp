#include "support/scripted_peer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "platform/deadline.h"
#include "support/loopback_address.h"

namespace dovel::test {
namespace {

constexpr int kMostConnections = 64;
constexpr size_t kMostHttpHead = 65536;

}  // namespace

ScriptedPeer::ScriptedPeer(Script script) : script_(std::move(script)), address_(unique_loopback_address()) {
  listener_.reset(platform::make_tcp_listener(address_, 0, 16));
  port_ = platform::local_port(listener_.get());
  acceptor_ = std::thread([this] { accept_loop(); });
}

ScriptedPeer::~ScriptedPeer() {
  stopping_ = true;
  platform::shutdown_socket(listener_.get());
  acceptor_.join();
  {
    std::lock_guard guard(lock_);
    for (int connection : open_) platform::shutdown_socket(connection);
  }
  for (std::thread& script : scripts_) script.join();
}

std::string ScriptedPeer::http_base() const { return "http://" + platform::format_ipv4(address_) + ":" + std::to_string(port_); }

void ScriptedPeer::accept_loop() {
  while (!stopping_ && scripts_.size() < kMostConnections) {
    if (platform::wait_readable(listener_.get(), 50) != platform::WaitResult::Ready) continue;
    const int connection = ::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    std::lock_guard guard(lock_);
    if (stopping_) {
      ::close(connection);
      return;
    }
    open_.push_back(connection);
    scripts_.emplace_back([this, connection] {
      script_(connection);
      {
        std::lock_guard guard(lock_);
        open_.erase(std::find(open_.begin(), open_.end(), connection));
      }
      platform::shutdown_socket(connection);
      ::close(connection);
      ++served_;
    });
  }
}

AnsweringWebHost::AnsweringWebHost(std::string answer, Pace pace)
    : answer_(std::move(answer)), pace_(pace), peer_([this](int connection) { this->answer(connection); }) {}

std::string AnsweringWebHost::request() const {
  std::lock_guard guard(lock_);
  return request_;
}

void AnsweringWebHost::answer(int connection) {
  std::string request = read_http_request(connection);
  {
    std::lock_guard guard(lock_);
    request_ = std::move(request);
  }
  switch (pace_) {
    case Pace::AtOnce:
      send_text(connection, answer_);
      break;
    case Pace::Silent:
      read_until_closed(connection);
      break;
    case Pace::Trickling:
      for (char byte : answer_) {
        if (!send_text(connection, std::string(1, byte))) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      }
      break;
  }
}

std::string read_exactly(int connection, size_t count) {
  std::string bytes(count, '\0');
  size_t got = 0;
  const platform::Deadline deadline = platform::Deadline::after_ms(ScriptedPeer::kReadMs);
  while (got < count && !deadline.expired()) {
    const ssize_t n = platform::receive_some(connection, bytes.data() + got, count - got, deadline.remaining_ms());
    if (n <= 0) return {};
    got += static_cast<size_t>(n);
  }
  return got == count ? bytes : std::string();
}

std::string read_http_request(int connection) {
  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMostHttpHead) {
    const ssize_t got = platform::receive_some(connection, buffer, sizeof buffer, ScriptedPeer::kReadMs);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
  }
  return request;
}

void read_until_closed(int connection) {
  char sink[4096];
  while (platform::receive_some(connection, sink, sizeof sink, ScriptedPeer::kReadMs) > 0) {
  }
}

bool send_text(int connection, const std::string& bytes) {
  return platform::send_all(connection, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

}  // namespace dovel::test
