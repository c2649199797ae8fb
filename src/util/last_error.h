#pragma once

#include <string>

namespace dovel::util {

// The message of the most recent failed check or server start (at most 511 bytes,
// cut on a character boundary). The last writer wins.
void SetLastErrorText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string LastErrorText();

inline constexpr size_t kLastErrorCapacity = 511;

}  // namespace dovel::util
