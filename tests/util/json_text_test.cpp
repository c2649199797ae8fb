#include "util/json_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/cp949.h"

namespace dovel::util {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";

struct Quoted {
  std::string text;
  std::string expected;
};

TEST(JsonQuote, EscapesWhatJsonForbidsAndKeepsTheRest) {
  const std::vector<Quoted> cases = {
      {"", R"("")"},
      {"plain text", R"("plain text")"},
      {R"(say "hi")", R"("say \"hi\"")"},
      {R"(C:\Dovel\Download)", R"("C:\\Dovel\\Download")"},
      {"line\r\nnext\ttab", R"("line\r\nnext\ttab")"},
      {std::string("nul\0inside", 10), R"("nul\u0000inside")"},
      {"\x01\x1f\x7f", R"("\u0001\u001f\u007f")"},
      {"/ and ' stay", R"("/ and ' stay")"},
  };
  for (const Quoted& quoted : cases) EXPECT_EQ(json_quote(quoted.text), quoted.expected) << quoted.text;
}

TEST(JsonQuote, PassesValidUtf8Unchanged) {
  for (const std::string text : {"공유폴더/노래 모음.mp3", "똠방각하 햏", "é ß", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", "\xEF\xBF\xBF"}) {
    EXPECT_EQ(json_quote(text), "\"" + text + "\"") << text;
  }
}

TEST(JsonQuote, ReplacesEachByteThatIsNotUtf8) {
  const std::vector<Quoted> cases = {
      {"a\xFF" "b", "\"a" + kReplacement + "b\""},
      {"\x80", "\"" + kReplacement + "\""},
      // A character cut short at the end, and one cut short by an ASCII byte that must survive.
      {"\xED\x95", "\"" + kReplacement + kReplacement + "\""},
      {"\xED" "a", "\"" + kReplacement + "a\""},
      // Overlong forms, a UTF-16 surrogate and a code point above U+10FFFF.
      {"\xC0\xAF", "\"" + kReplacement + kReplacement + "\""},
      {"\xE0\x80\xAF", "\"" + kReplacement + kReplacement + kReplacement + "\""},
      {"\xED\xA0\x80", "\"" + kReplacement + kReplacement + kReplacement + "\""},
      {"\xF4\x90\x80\x80", "\"" + kReplacement + kReplacement + kReplacement + kReplacement + "\""},
      {"\xF5\x80", "\"" + kReplacement + kReplacement + "\""},
      // A CP949 text that reached the writer unconverted: 한 is C7 D1 there.
      {"\xC7\xD1", "\"" + kReplacement + kReplacement + "\""},
  };
  for (const Quoted& quoted : cases) EXPECT_EQ(json_quote(quoted.text), quoted.expected);
}

// Whatever the bytes, the result is valid UTF-8 without a raw control character.
TEST(JsonQuote, ResultIsAlwaysValidUtf8) {
  const auto check = [](const std::string& text) {
    const std::string quoted = json_quote(text);
    ASSERT_TRUE(platform::is_valid_utf8(quoted)) << testing::PrintToString(text);
    for (char byte : quoted) ASSERT_FALSE(static_cast<unsigned char>(byte) < 0x20) << testing::PrintToString(text);
  };
  for (int first = 0; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) check({static_cast<char>(first), static_cast<char>(second)});
  }
  for (int lead : {0xE0, 0xED, 0xEF, 0xF0, 0xF4}) {
    for (int second = 0x70; second < 0xD0; ++second) {
      for (int third = 0x70; third < 0xD0; ++third) {
        check({static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third)});
        check({static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third), '\x80'});
      }
    }
  }
}

TEST(JsonObject, WritesFieldsInOrderWithTheirTypes) {
  EXPECT_EQ(JsonObject().text(), "{}");
  const std::string text = JsonObject()
                               .add("name", "노래")
                               .add("ok", true)
                               .add("failed", false)
                               .add("small", int64_t{-5})
                               .add("big", std::numeric_limits<uint64_t>::max())
                               .add("count", 7)
                               .add_json("inner", JsonObject().add("a", 1).text())
                               .add_json("list", json_array({}))
                               .text();
  EXPECT_EQ(text, R"({"name":"노래","ok":true,"failed":false,"small":-5,"big":18446744073709551615,"count":7,"inner":{"a":1},"list":[]})");
}

TEST(JsonObject, QuotesKeysAndValues) {
  EXPECT_EQ(JsonObject().add("a\"b", "c\\d\n").text(), R"({"a\"b":"c\\d\n"})");
  EXPECT_EQ(JsonObject().add("bad", "\xFF").text(), "{\"bad\":\"" + kReplacement + "\"}");
}

TEST(JsonArray, JoinsValuesThatAreJsonAlready) {
  EXPECT_EQ(json_array({}), "[]");
  EXPECT_EQ(json_array({"1"}), "[1]");
  EXPECT_EQ(json_array({json_quote("x"), "{}", "true"}), R"(["x",{},true])");
}

}  // namespace
}  // namespace dovel::util
