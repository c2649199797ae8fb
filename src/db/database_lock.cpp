#include "db/database_lock.h"

namespace dovel::db {

std::recursive_mutex& database_lock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace dovel::db
