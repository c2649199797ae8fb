#include <gtest/gtest.h>

#include "central/account_rules.h"

namespace dovel::central {
namespace {

// Lengths count the CP949 form: a Hangul syllable is two bytes there, three in UTF-8.
TEST(AccountRulesTest, IdsFitTheWireAndAreKeptInLowerCase) {
  const struct {
    const char* id;
    std::optional<std::string> kept;
  } cases[] = {
      {"Alice", "alice"},
      {"abcdefghijklmno", "abcdefghijklmno"},
      {"abcdefghijklmnop", std::nullopt},
      {"가나다라마바사", "가나다라마바사"},
      {"가나다라마바사아", std::nullopt},
      {"", std::nullopt},
      {"with space", std::nullopt},
      {"a|b", std::nullopt},
      {"a\x07" "b", std::nullopt},
      {"\xF0\x9F\x98\x80", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(normalized_user_id(c.id), c.kept) << c.id;
}

TEST(AccountRulesTest, LabelsAndPasswordsFitTheirFields) {
  EXPECT_TRUE(valid_label(""));
  EXPECT_TRUE(valid_label("열글자까지의라벨이다"));
  EXPECT_FALSE(valid_label("열한글자가되는라벨이다"));
  EXPECT_TRUE(valid_password("비밀번호일곱자"));
  EXPECT_FALSE(valid_password("비밀번호여덟자다"));
  EXPECT_FALSE(valid_password(""));
  EXPECT_FALSE(valid_warning_text("field\x06split"));
}

}  // namespace
}  // namespace dovel::central
