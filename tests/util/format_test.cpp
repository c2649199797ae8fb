#include "util/format.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace dovel::util {
namespace {

TEST(Format, FormatNumberGroupsThousands) {
  const struct {
    int64_t value;
    const char* expected;
  } cases[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1234567, "1,234,567"}, {-1000, "-1,000"}, {-999, "-999"},
               {INT64_MIN, "-9,223,372,036,854,775,808"}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(FormatNumber(value), expected) << value;
}

TEST(Format, FormatSizePicksTheLargestUnit) {
  const struct {
    int64_t value;
    const char* expected;
  } cases[] = {{0, "0"},
               {100, "100.00"},
               {1023, "1023.00"},
               {1024, "1.00K"},
               {1536, "1.50K"},
               {1048576, "1.00M"},
               {1073741824LL * 3 / 2, "1.50G"},
               {1099511627776LL * 2, "2.00T"},
               {-5, "-5"}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(FormatSize(value), expected) << value;
}

TEST(Format, MaskTextHidesTheSecondHalfByCharacters) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {{"", ""}, {"a", "a"}, {"ab", "a*"}, {"abc", "ab*"}, {"mimi1234", "mimi****"}, {"도벨짱", "도벨*"}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(MaskText(text), expected) << text;
}

}  // namespace
}  // namespace dovel::util
