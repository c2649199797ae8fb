#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace dovel::search {

// A result datagram as it arrived, with the tick of its arrival.
struct ArrivedResult {
  std::string datagram;
  platform::Tick arrival = 0;
};

// The received datagrams waiting for the processing thread, under their own
// lock and event. Bounded: what arrives while it is full is dropped, as the
// network would drop it.
class ResultQueue {
 public:
  static constexpr size_t kMaxWaiting = 4096;

  // False when the datagram was dropped (queue full or closed).
  bool push(ArrivedResult result);
  // Waits until datagrams are there, wake() was called or the queue closed, and
  // takes every waiting datagram (none when woken without).
  std::vector<ArrivedResult> take();
  bool empty() const;
  // Makes the next (or the current) take return even without datagrams.
  void wake();
  // Drops what waits and refuses more; take never waits again.
  void close();

 private:
  mutable std::mutex lock_;
  std::condition_variable event_;
  std::deque<ArrivedResult> waiting_;
  bool woken_ = false;
  bool closed_ = false;
};

}  // namespace dovel::search
