#include "util/file_hash_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace dovel::util {
namespace {

TEST(FileHashText, ThirtyTwoHexDigitsOnly) {
  const struct {
    std::string text;
    bool either_case;
    bool lower_case;
  } cases[] = {
      {"0123456789abcdef0123456789abcdef", true, true},
      {"0123456789ABCDEF0123456789ABCDEF", true, false},
      {"0123456789abcdef0123456789ABCDEF", true, false},
      {"", false, false},
      {"0123456789abcdef0123456789abcde", false, false},
      {"0123456789abcdef0123456789abcdef0", false, false},
      {"0123456789abcdef0123456789abcdeg", false, false},
      {"\" Or 1=1 Or \"\"=\"0123456789abcdef", false, false},  // 32 bytes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(is_file_hash_text(c.text), c.either_case);
    EXPECT_EQ(is_lower_case_file_hash(c.text), c.lower_case);
    const std::optional<std::string> lowered = lower_case_file_hash(c.text);
    EXPECT_EQ(lowered.has_value(), c.either_case);
    if (lowered) {
      EXPECT_TRUE(is_lower_case_file_hash(*lowered));
    }
  }
}

}  // namespace
}  // namespace dovel::util
