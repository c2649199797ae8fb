#include "base/text.h"

#include <gtest/gtest.h>

namespace dovel::base {
namespace {

TEST(Text, SplitKeepsEmptyFields) {
  EXPECT_EQ(split("a;;b", ';'), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(split("", ';'), (std::vector<std::string>{""}));
  EXPECT_EQ(split(";", ';'), (std::vector<std::string>{"", ""}));
}

TEST(Text, Utf8TruncateNeverCutsACharacter) {
  // "가" is three bytes in UTF-8.
  EXPECT_EQ(utf8_truncate("가나", 4), "가");
  EXPECT_EQ(utf8_truncate("가나", 6), "가나");
  EXPECT_EQ(utf8_truncate("가나", 2), "");
  EXPECT_EQ(utf8_truncate("abc", 2), "ab");
}

TEST(Text, StrictNumbers) {
  EXPECT_EQ(parse_uint64("123"), 123u);
  EXPECT_EQ(parse_int64("-5"), -5);
  for (const char* bad : {"", "12x", " 1", "1 ", "+1", "-", "99999999999999999999"}) {
    EXPECT_FALSE(parse_int64(bad)) << bad;
    EXPECT_FALSE(parse_uint64(bad)) << bad;
  }
  EXPECT_FALSE(parse_uint64("-1"));
  EXPECT_FALSE(parse_uint32("4294967296"));
}

TEST(Text, AsciiCaseFoldingLeavesOtherBytes) {
  EXPECT_TRUE(iequals_ascii("Setting", "sETTING"));
  EXPECT_FALSE(iequals_ascii("가", "나"));
  EXPECT_EQ(ascii_lower("ABC가"), "abc가");
}

}  // namespace
}  // namespace dovel::base
