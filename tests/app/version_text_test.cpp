#include "app/version_text.h"

#include <gtest/gtest.h>

#include <string>

namespace dovel::app {
namespace {

TEST(CompareVersions, DottedNumbersCompareNumberByNumber) {
  struct Case {
    std::string a;
    std::string b;
    VersionOrder order;
  };
  const Case cases[] = {
      {"1.2.10", "1.2.3", VersionOrder::Newer},  // a text comparison would call it older
      {"1.2.3", "1.2.10", VersionOrder::Older},
      {"1.2.3", "1.2.3", VersionOrder::Same},
      {"2", "10", VersionOrder::Older},
      {"1.2", "1.2.0", VersionOrder::Same},
      {"1.2", "1.2.0.1", VersionOrder::Older},
      {"1.02", "1.2", VersionOrder::Same},
      {"0010", "9", VersionOrder::Newer},
      {"1.99999999999999999999999", "1.99999999999999999999998", VersionOrder::Newer},  // beyond 64 bits
      {"11672", "11671", VersionOrder::Newer},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareVersions(c.a, c.b), c.order) << c.a << " vs " << c.b;
  }
}

TEST(CompareVersions, IdenticalTextIsTheSameVersionWhateverItHolds) {
  for (const std::string text : {"", "beta-7", "1.2a", " 1.2", "1..2", "빌드 11672"}) {
    EXPECT_EQ(CompareVersions(text, text), VersionOrder::Same) << text;
    EXPECT_TRUE(VersionAtLeast(text, text)) << text;
  }
}

TEST(CompareVersions, NonNumericPartsCannotBeOrdered) {
  struct Case {
    std::string a;
    std::string b;
  };
  const Case cases[] = {
      {"1.2a", "1.2b"}, {"1.2b", "1.2a"}, {"1.3", "1.2-beta"}, {"", "1"},    {"1", ""},     {"1..2", "1.2"},
      {"1.", "1"},      {".1", "1"},      {" 1.2", "1.2"},    {"+1", "1"}, {"-1", "1"},   {"1,2", "1.2"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareVersions(c.a, c.b), VersionOrder::Incomparable) << c.a << " vs " << c.b;
    EXPECT_FALSE(VersionAtLeast(c.a, c.b)) << "an incomparable local version is out of date: " << c.a << " vs " << c.b;
  }
}

TEST(VersionAtLeast, SameOrNewerIsEnough) {
  EXPECT_TRUE(VersionAtLeast("1.2.10", "1.2.3"));
  EXPECT_TRUE(VersionAtLeast("1.2.3", "1.2.3.0"));
  EXPECT_FALSE(VersionAtLeast("1.2.3", "1.2.10"));
}

}  // namespace
}  // namespace dovel::app
