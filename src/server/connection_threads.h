#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace dovel::server {

// The threads serving accepted connections. A thread that ends on its own is
// joined the next time finished ones are collected; all are joined at the end.
// Nothing is ever detached or forgotten while it runs.
class ConnectionThreads {
 public:
  ~ConnectionThreads();

  void start(uint64_t id, std::function<void()> body);
  // Joins the threads that ended.
  void collect_finished();
  // Joins every thread; the caller has made them end (their sockets shut down).
  void join_all();
  size_t size() const;

 private:
  struct Entry {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
  };
  mutable std::mutex lock_;
  std::map<uint64_t, Entry> threads_;
};

}  // namespace dovel::server
