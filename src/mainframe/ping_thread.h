#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <random>
#include <thread>

namespace dovel::mainframe {

struct PingPeriod {
  int shortest_ms = 30000;
  int spread_ms = 30000;  // the wait is shortest + a random value below this
};

// Keeps the service connections alive between the hub's own keep-alives: waits
// a random 30 to 60 s, sends the keep-alive, and again, until stopped.
class CPingThread {
 public:
  CPingThread(std::function<void()> keep_alive, PingPeriod period);
  ~CPingThread();
  CPingThread(const CPingThread&) = delete;
  CPingThread& operator=(const CPingThread&) = delete;

  // Wakes the thread and waits for it.
  void stop();

 private:
  void run();

  std::function<void()> keep_alive_;
  PingPeriod period_;
  std::minstd_rand random_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace dovel::mainframe
