#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "core/message.h"

namespace dovel::test {

// A message target that keeps what it is sent, for tests to look at.
class RecordingTarget final : public core::MessageTarget {
 public:
  struct Seen {
    core::MessageId id;
    uint64_t wparam;
    int64_t lparam;
    std::string text;  // the text of a TextPayload; empty for other payloads
  };

  void post(core::Message message) override {
    {
      std::lock_guard guard(lock_);
      const auto* text = dynamic_cast<const core::TextPayload*>(message.payload.get());
      seen_.push_back({message.id, message.wparam, message.lparam, text ? text->text : std::string()});
    }
    arrived_.notify_all();
  }

  std::vector<Seen> seen() const {
    std::lock_guard guard(lock_);
    return seen_;
  }

  // Waits (at most `timeout`) until `count` messages arrived; true when they did.
  bool wait_for(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    std::unique_lock guard(lock_);
    return arrived_.wait_for(guard, timeout, [&] { return seen_.size() >= count; });
  }

 private:
  mutable std::mutex lock_;
  std::condition_variable arrived_;
  std::vector<Seen> seen_;
};

}  // namespace dovel::test
