#include "platform/cp949.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace dovel::platform {
namespace {

struct Pair {
  std::string utf8;
  std::string cp949;
};

TEST(Cp949, ConvertsBothWays) {
  const Pair pairs[] = {
      {"", ""},
      {"plain ASCII |*\\:/ 0123", "plain ASCII |*\\:/ 0123"},
      {std::string("nul\0inside", 10), std::string("nul\0inside", 10)},
      {"한글", "\xc7\xd1\xb1\xdb"},
      {"가힣", "\xb0\xa1\xc6\x52"},
      // Syllables outside the basic KS X 1001 set, the ones other codecs lose.
      {"똠", "\x8c\x63"},
      {"햏", "\xc1\x64"},
      {"똠방각하 햏자", "\x8c\x63\xb9\xe6\xb0\xa2\xc7\xcf \xc1\x64\xc0\xda"},
      {"①÷", "\xa8\xe7\xa1\xc0"},
  };
  for (const Pair& pair : pairs) {
    SCOPED_TRACE(pair.utf8);
    EXPECT_EQ(utf8_to_cp949(pair.utf8), pair.cp949);
    EXPECT_EQ(cp949_to_utf8(pair.cp949), pair.utf8);
  }
}

TEST(Cp949, LongTextsGrowTheOutputAsNeeded) {
  std::string utf8;
  for (int i = 0; i < 5000; ++i) utf8 += "똠a";
  auto cp949 = utf8_to_cp949(utf8);
  ASSERT_TRUE(cp949);
  EXPECT_EQ(cp949->size(), 15000u);
  EXPECT_EQ(cp949_to_utf8(*cp949), utf8);
}

TEST(Cp949, RefusesWhatHasNoFormOnTheOtherSide) {
  const std::string not_utf8[] = {"\xff", "abc\xc3", "\xed\xa0\x80", "\xc0\xaf", "한\x80"};
  for (const std::string& text : not_utf8) EXPECT_EQ(utf8_to_cp949(text), std::nullopt) << text;

  const std::string no_cp949_form[] = {"😀", "é", "a😀b", "中文简体"};
  for (const std::string& text : no_cp949_form) EXPECT_EQ(utf8_to_cp949(text), std::nullopt) << text;

  const std::string not_cp949[] = {"\x81", "ab\xc7", "\xff\xff", "\x80\x41", "\xc7\x41", "\xc7\xd1\xb1"};
  for (const std::string& bytes : not_cp949) EXPECT_EQ(cp949_to_utf8(bytes), std::nullopt) << testing::PrintToString(bytes);
}

TEST(Cp949, AFailedConversionDoesNotDisturbTheNextOne) {
  EXPECT_EQ(cp949_to_utf8("\xc7"), std::nullopt);  // leaves a half character behind
  EXPECT_EQ(cp949_to_utf8("\xd1"), std::nullopt);
  EXPECT_EQ(cp949_to_utf8("\xb1\xdb"), "글");
  EXPECT_EQ(utf8_to_cp949("\xed\x95"), std::nullopt);
  EXPECT_EQ(utf8_to_cp949("글"), "\xb1\xdb");
}

TEST(Cp949, IsValidUtf8) {
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"ascii", true},
      {std::string("\0", 1), true},
      {"\x7f", true},
      {"\xc2\x80", true},          // U+0080, smallest two-byte form
      {"\xdf\xbf", true},          // U+07FF
      {"\xe0\xa0\x80", true},      // U+0800
      {"한글", true},
      {"\xed\x9f\xbf", true},      // U+D7FF, just below the surrogates
      {"\xee\x80\x80", true},      // U+E000, just above them
      {"\xef\xbf\xbf", true},      // U+FFFF
      {"\xf0\x90\x80\x80", true},  // U+10000
      {"😀", true},
      {"\xf4\x8f\xbf\xbf", true},  // U+10FFFF, the last code point
      // Overlong forms.
      {"\xc0\x80", false},
      {"\xc1\xbf", false},
      {"\xe0\x80\xaf", false},
      {"\xe0\x9f\xbf", false},
      {"\xf0\x80\x80\xaf", false},
      {"\xf0\x8f\xbf\xbf", false},
      // Surrogates.
      {"\xed\xa0\x80", false},
      {"\xed\xbf\xbf", false},
      {"\xed\xa0\xbd\xed\xb8\x80", false},  // a surrogate pair written as two characters
      // Beyond U+10FFFF and lead bytes that never occur.
      {"\xf4\x90\x80\x80", false},
      {"\xf5\x80\x80\x80", false},
      {"\xf8\x88\x80\x80\x80", false},
      {"\xfe", false},
      {"\xff", false},
      // Truncated sequences and lone continuation bytes.
      {"\xc3", false},
      {"\xe2\x82", false},
      {"\xf0\x9f\x98", false},
      {"abc\xed\x95", false},
      {"\x80", false},
      {"a\xbf" "b", false},
      {"\xc3(", false},
      {"\xe2\x28\xa1", false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_valid_utf8(c.text), c.valid) << testing::PrintToString(c.text);
}

TEST(Cp949, ConversionsFromSeveralThreadsAtOnce) {
  const Pair pairs[] = {
      {"똠방각하", "\x8c\x63\xb9\xe6\xb0\xa2\xc7\xcf"},
      {"햏자", "\xc1\x64\xc0\xda"},
      {"ascii only", "ascii only"},
      {"한글", "\xc7\xd1\xb1\xdb"},
  };
  constexpr int kThreads = 4;
  constexpr int kRounds = 2000;
  std::vector<int> wrong(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        const Pair& pair = pairs[(t + i) % 4];
        if (utf8_to_cp949(pair.utf8) != pair.cp949) ++wrong[t];
        if (cp949_to_utf8(pair.cp949) != pair.utf8) ++wrong[t];
        // Failures in between must not leave state behind for the next call.
        if (i % 7 == 0 && (cp949_to_utf8("\xc7") || utf8_to_cp949("😀"))) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace dovel::platform
