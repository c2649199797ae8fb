#include "mainframe/ping_thread.h"

#include <chrono>

namespace dovel::mainframe {

CPingThread::CPingThread(std::function<void()> keep_alive, PingPeriod period)
    : keep_alive_(std::move(keep_alive)),
      period_(period),
      random_(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())),
      thread_([this] { run(); }) {}

CPingThread::~CPingThread() { stop(); }

void CPingThread::stop() {
  {
    std::lock_guard guard(lock_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CPingThread::run() {
  std::unique_lock guard(lock_);
  while (!stopping_) {
    const int spread = period_.spread_ms > 0 ? static_cast<int>(random_() % static_cast<unsigned>(period_.spread_ms)) : 0;
    const auto wait = std::chrono::milliseconds(period_.shortest_ms + spread);
    if (wake_.wait_for(guard, wait, [this] { return stopping_; })) return;
    guard.unlock();
    keep_alive_();
    guard.lock();
  }
}

}  // namespace dovel::mainframe
