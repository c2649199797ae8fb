#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace dovel::central {

// What other threads want written to one connection (pushes, relayed results).
// Only the thread serving the connection writes to its socket, so a reply and
// the pushes around it never interleave; it polls fd() next to the socket.
// Bounded: when the client does not keep up, further items are dropped.
class Outbox {
 public:
  explicit Outbox(size_t limit);
  ~Outbox();
  Outbox(const Outbox&) = delete;
  Outbox& operator=(const Outbox&) = delete;

  // False when the box is full or the connection is ending.
  bool post(std::string bytes);
  // Asks the serving thread to end the connection in order once what is queued is written.
  void request_end();

  // Readable while something waits.
  int fd() const { return fd_; }

  struct Taken {
    std::vector<std::string> items;
    bool end = false;
  };
  Taken take();

 private:
  void signal();

  const size_t limit_;
  const int fd_;
  std::mutex lock_;
  std::deque<std::string> items_;
  bool end_ = false;
};

}  // namespace dovel::central
