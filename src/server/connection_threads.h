#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace dovel::server {

// How long stopping the server waits for each connection's thread.
inline constexpr int kConnectionThreadJoinMs = 2000;

// Makes the thread that runs a body; throws std::system_error when the system has none to give.
using ThreadMaker = std::function<std::thread(std::function<void()>)>;
inline std::thread make_system_thread(std::function<void()> body) { return std::thread(std::move(body)); }

// The threads serving accepted connections. A thread that ends on its own is
// joined the next time finished ones are collected. Stopping waits a bounded
// time for each; one still running then (it is at most finishing a read or a
// file operation with its own deadline) stays listed, is joined once it ended,
// and at the latest when this object goes. Nothing is ever detached or
// forgotten while it runs.
class ConnectionThreads {
 public:
  explicit ConnectionThreads(int join_ms = kConnectionThreadJoinMs, ThreadMaker make_thread = make_system_thread)
      : join_ms_(join_ms), make_thread_(std::move(make_thread)) {}
  ~ConnectionThreads();
  ConnectionThreads(const ConnectionThreads&) = delete;
  ConnectionThreads& operator=(const ConnectionThreads&) = delete;

  // Runs `body` on a thread of its own; false when no thread could be made
  // (nothing runs then, and `body` is dropped).
  bool start(uint64_t id, std::function<void()> body);
  // Joins the threads that ended.
  void collect_finished();
  // The caller has made every thread end (their sockets shut down): waits up
  // to the join time from now for each and joins it. The number still running.
  size_t join_all();
  size_t size() const;

 private:
  struct Entry {
    std::thread thread;
    bool finished = false;
  };
  void mark_finished(uint64_t id);

  const int join_ms_;
  const ThreadMaker make_thread_;
  mutable std::mutex lock_;
  std::condition_variable ended_;
  std::map<uint64_t, Entry> threads_;
};

}  // namespace dovel::server
