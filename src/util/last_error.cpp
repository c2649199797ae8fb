#include "util/last_error.h"

#include <cstdarg>
#include <mutex>

#include "base/string_printf.h"
#include "base/text.h"

namespace dovel::util {
namespace {

std::mutex& error_lock() {
  static std::mutex lock;
  return lock;
}

std::string& error_text() {
  static std::string text;
  return text;
}

}  // namespace

void SetLastErrorText(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string text = base::string_vprintf(format, arguments);
  va_end(arguments);
  std::lock_guard lock(error_lock());
  error_text() = std::string(base::utf8_truncate(text, kLastErrorCapacity));
}

std::string LastErrorText() {
  std::lock_guard lock(error_lock());
  return error_text();
}

}  // namespace dovel::util
