#include "base/string_printf.h"

#include <clocale>
#include <cstdio>
#include <locale.h>

namespace dovel::base {
namespace {

class ScopedCLocale {
 public:
  ScopedCLocale() {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
    previous_ = c_locale ? uselocale(c_locale) : nullptr;
  }
  ~ScopedCLocale() {
    if (previous_) uselocale(previous_);
  }
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

 private:
  locale_t previous_;
};

}  // namespace

std::string string_vprintf(const char* format, va_list arguments) {
  ScopedCLocale c_locale;
  va_list copy;
  va_copy(copy, arguments);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (needed <= 0) return {};
  std::string result(static_cast<size_t>(needed) + 1, '\0');
  std::vsnprintf(result.data(), result.size(), format, arguments);
  result.resize(static_cast<size_t>(needed));
  return result;
}

std::string string_printf(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::string result = string_vprintf(format, arguments);
  va_end(arguments);
  return result;
}

}  // namespace dovel::base
