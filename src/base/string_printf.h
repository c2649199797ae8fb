#pragma once

#include <cstdarg>
#include <string>

namespace dovel::base {

// printf-style formatting that always uses the "C" locale, so numbers written
// into wire texts and logs look the same whatever locale a front end sets.
std::string string_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string string_vprintf(const char* format, va_list arguments) __attribute__((format(printf, 1, 0)));

}  // namespace dovel::base
