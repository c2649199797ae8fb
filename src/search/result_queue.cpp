#include "search/result_queue.h"

namespace dovel::search {

bool ResultQueue::push(ArrivedResult result) {
  {
    std::lock_guard guard(lock_);
    if (closed_ || waiting_.size() >= kMaxWaiting) return false;
    waiting_.push_back(std::move(result));
  }
  event_.notify_one();
  return true;
}

std::vector<ArrivedResult> ResultQueue::take() {
  std::unique_lock guard(lock_);
  event_.wait(guard, [this] { return !waiting_.empty() || woken_ || closed_; });
  woken_ = false;
  std::vector<ArrivedResult> taken(std::make_move_iterator(waiting_.begin()), std::make_move_iterator(waiting_.end()));
  waiting_.clear();
  return taken;
}

bool ResultQueue::empty() const {
  std::lock_guard guard(lock_);
  return waiting_.empty();
}

void ResultQueue::wake() {
  {
    std::lock_guard guard(lock_);
    woken_ = true;
  }
  event_.notify_one();
}

void ResultQueue::close() {
  {
    std::lock_guard guard(lock_);
    closed_ = true;
    waiting_.clear();
  }
  event_.notify_all();
}

}  // namespace dovel::search
