#include "wire/wire_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/cp949.h"

namespace dovel::wire {
namespace {

const std::string kHangul = "가나";                           // two syllables, four bytes in CP949
const std::string kNoCp949Form = "\xF0\x9F\x98\x80";         // an emoji: no CP949 character

TEST(WireText, AFieldGoesOutInItsCp949FormOrNotAtAll) {
  EXPECT_EQ(field(kHangul), platform::utf8_to_cp949(kHangul));
  EXPECT_EQ(field(""), "");
  EXPECT_EQ(field("abc|def"), "abc|def") << "no separators asked for";
  const struct {
    std::string text;
    std::string separators;
  } refused[] = {
      {kNoCp949Form, ""},
      {"a" + kNoCp949Form, "|"},
      {"a|b", "|"},
      {"a*b", "|*"},
      {std::string("a\0b", 3), ""},
      {"\xff", ""},  // not even UTF-8
  };
  for (const auto& c : refused) {
    SCOPED_TRACE(c.text);
    EXPECT_FALSE(field(c.text, c.separators));
    EXPECT_FALSE(terminated_field(c.text, c.separators));
  }
  EXPECT_EQ(terminated_field(kHangul), *platform::utf8_to_cp949(kHangul) + '\0');
}

TEST(WireText, AFixedFieldIsPaddedAndMayBeFull) {
  EXPECT_EQ(fixed_field("ab", 4), std::string("ab\0\0", 4));
  EXPECT_EQ(fixed_field("abcd", 4), "abcd");
  EXPECT_FALSE(fixed_field("abcde", 4));
  EXPECT_FALSE(fixed_field(kHangul + "a", 4)) << "counted in CP949 bytes";
  EXPECT_FALSE(fixed_field(kNoCp949Form, 15));
}

TEST(WireText, ReceivedFieldsAreCheckedNeverGuessed) {
  const std::string cp949 = *platform::utf8_to_cp949(kHangul);
  EXPECT_EQ(read_field(cp949), kHangul);
  EXPECT_EQ(read_field(cp949, 4), kHangul);
  EXPECT_FALSE(read_field(cp949, 3)) << "longer than allowed";
  EXPECT_FALSE(read_field("\xff\xff"));
  EXPECT_EQ(read_terminated_field(cp949 + std::string("\0junk", 5)), kHangul);
  EXPECT_EQ(read_terminated_field(cp949), kHangul) << "a field may fill its width";
  EXPECT_EQ(read_plain_field(cp949), kHangul);
  EXPECT_FALSE(read_plain_field("a\x01" "b"));
  EXPECT_FALSE(read_plain_field("a\x7f"));
  EXPECT_EQ(up_to_terminator(std::string_view("ab\0cd", 5)), "ab");
  EXPECT_EQ(up_to_terminator("abc"), "abc");
}

}  // namespace
}  // namespace dovel::wire
