#pragma once

#include <cstdint>
#include <mutex>

namespace dovel::share {

// What the last full hashing run found: the registration reports these.
struct ShareTotalsValue {
  uint32_t mib = 0;    // total size of the recorded files in MiB
  uint32_t files = 0;  // number of recorded files
};

// Published at the end of every full run, read by the registration code.
class ShareTotals {
 public:
  void publish(ShareTotalsValue value) {
    std::lock_guard guard(lock_);
    value_ = value;
  }
  ShareTotalsValue get() const {
    std::lock_guard guard(lock_);
    return value_;
  }

 private:
  mutable std::mutex lock_;
  ShareTotalsValue value_;
};

}  // namespace dovel::share
