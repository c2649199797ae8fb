#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dovel::util {

// 1234567 -> "1,234,567"; -1000 -> "-1,000".
std::string FormatNumber(int64_t value);
// The largest unit of T, G, M, K or none with two decimals: 1536 -> "1.50K", 100 -> "100.00".
std::string FormatSize(int64_t value);
// The second half of the text (by characters) replaced by '*', for IDs written to logs.
std::string MaskText(std::string_view text);

}  // namespace dovel::util
