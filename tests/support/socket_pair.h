#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/deadline.h"
#include "platform/socket.h"

namespace dovel::test {

// A connected pair of stream sockets: the code under test uses `ours`, the test
// plays the remote side on `theirs`.
class SocketPair {
 public:
  SocketPair() {
    int fds[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) ADD_FAILURE() << "socketpair failed";
    ours_.reset(fds[0]);
    theirs_.reset(fds[1]);
  }

  int ours() const { return ours_.get(); }
  int theirs() const { return theirs_.get(); }

  void peer_send(std::string_view bytes) const {
    ASSERT_EQ(platform::send_all(theirs(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // The peer hangs up; reads on `ours` then see the end of the stream.
  void peer_close() { theirs_.reset(); }

  // Exactly `count` bytes that arrived on `fd`, or what came before the stream
  // ended or a few seconds passed.
  static std::string drain(int fd, size_t count) {
    std::string bytes(count, '\0');
    size_t got = 0;
    auto deadline = platform::Deadline::after_ms(5000);
    while (got < count && !deadline.expired()) {
      ssize_t n = platform::receive_some(fd, bytes.data() + got, count - got, deadline.remaining_ms());
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
    bytes.resize(got);
    return bytes;
  }
  // What is still unread on our side (the next `count` bytes).
  std::string unread(size_t count) const { return drain(ours(), count); }
  std::string peer_receive(size_t count) const { return drain(theirs(), count); }

 private:
  platform::UniqueFd ours_;
  platform::UniqueFd theirs_;
};

// Sends one byte every `gap` from a helper thread until stopped or `limit`
// bytes are out: a peer that keeps each read busy but never finishes.
class Trickler {
 public:
  Trickler(int fd, size_t limit, std::chrono::milliseconds gap = std::chrono::milliseconds(30))
      : thread_([this, fd, limit, gap] {
          std::unique_lock lock(mutex_);
          for (size_t sent = 0; sent < limit && !stop_; ++sent) {
            char byte = static_cast<char>('a' + sent % 26);
            if (::send(fd, &byte, 1, MSG_NOSIGNAL) != 1) return;
            wake_.wait_for(lock, gap, [this] { return stop_; });
          }
        }) {}
  ~Trickler() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  Trickler(const Trickler&) = delete;
  Trickler& operator=(const Trickler&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread thread_;
};

// Shuts both ends of a pair down if the test is still running after `limit`, so
// that a reader that ignores its deadline fails the test instead of hanging it.
class Watchdog {
 public:
  Watchdog(int a, int b, std::chrono::milliseconds limit = std::chrono::seconds(10))
      : thread_([this, a, b, limit] {
          std::unique_lock lock(mutex_);
          if (!wake_.wait_for(lock, limit, [this] { return done_; })) {
            ::shutdown(a, SHUT_RDWR);
            ::shutdown(b, SHUT_RDWR);
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread thread_;
};

inline std::chrono::milliseconds elapsed_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

}  // namespace dovel::test
