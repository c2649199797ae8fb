#include "share/archive_check.h"

namespace dovel::share {

std::mutex& archive_filter_lock() {
  static std::mutex lock;
  return lock;
}

}  // namespace dovel::share
