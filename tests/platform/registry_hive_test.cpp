#include "platform/registry_hive.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp949.h"

namespace dovel::platform {
namespace {

using ::testing::ElementsAre;

std::optional<std::string> text_at(const RegistryHive& hive, std::string_view key, std::string_view name) {
  const RegistryValue* value = hive.find_value(key, name);
  if (value == nullptr || !std::holds_alternative<std::string>(*value)) return std::nullopt;
  return std::get<std::string>(*value);
}

std::optional<uint32_t> dword_at(const RegistryHive& hive, std::string_view key, std::string_view name) {
  const RegistryValue* value = hive.find_value(key, name);
  if (value == nullptr || !std::holds_alternative<uint32_t>(*value)) return std::nullopt;
  return std::get<uint32_t>(*value);
}

TEST(RegistryHive, NamesIgnoreCaseAndKeepTheFirstWrittenCase) {
  RegistryHive hive;
  hive.set_value("Software\\Dovel", "ListenPort", uint32_t{1});
  hive.set_value("SOFTWARE\\dovel", "LISTENPORT", uint32_t{2});

  EXPECT_EQ(dword_at(hive, "software\\DOVEL", "listenport"), 2u);
  EXPECT_THAT(hive.value_names("SoFtWaRe\\DoVeL"), ElementsAre("ListenPort"));
  // The key keeps its first spelling in the stored text as well.
  const std::string text = hive.serialize();
  EXPECT_NE(text.find("[\"Software\\\\Dovel\"]"), std::string::npos) << text;
  EXPECT_EQ(text.find("SOFTWARE"), std::string::npos) << text;
}

TEST(RegistryHive, ValueNamesAreSortedWithoutRegardToCase) {
  RegistryHive hive;
  for (const char* name : {"b", "C", "a", "B2"}) hive.set_value("K", name, uint32_t{0});
  EXPECT_THAT(hive.value_names("k"), ElementsAre("a", "b", "B2", "C"));
  EXPECT_TRUE(hive.value_names("Missing").empty());
}

TEST(RegistryHive, KeyExistsForCreatedKeysAndTheirParentsOnly) {
  RegistryHive hive;
  hive.set_value("A\\B\\C", "x", uint32_t{1});
  hive.create_key("Empty\\Leaf");
  hive.create_key("P\\BC");

  struct Case {
    const char* key;
    bool exists;
  };
  const Case cases[] = {
      {"A", true},          {"a\\b", true},        {"A\\B\\C", true},  {"\\A\\B\\", true},
      {"A\\B\\C\\D", false}, {"A\\BC", false},      {"A\\B\\", true},   {"Empty", true},
      {"empty\\leaf", true}, {"Empty\\Lea", false}, {"B", false},       {"P\\B", false},
      {"P", true},          {"", true},  // the root always exists
  };
  for (const Case& c : cases) EXPECT_EQ(hive.key_exists(c.key), c.exists) << c.key;
}

TEST(RegistryHive, DeleteKeyRemovesSubKeysButNotSiblingsSharingAPrefix) {
  RegistryHive hive;
  hive.set_value("A\\B", "v", uint32_t{1});
  hive.set_value("A\\B\\C", "v", uint32_t{2});
  hive.set_value("A\\B\\C\\D", "v", uint32_t{3});
  // '!' sorts before '\\' and 'C'/'c' after it: siblings on both sides of the sub-key range.
  hive.set_value("A\\B!", "v", uint32_t{4});
  hive.set_value("A\\BC", "v", uint32_t{5});
  hive.set_value("A\\Bc\\X", "v", uint32_t{6});

  EXPECT_TRUE(hive.delete_key("a\\b"));

  EXPECT_FALSE(hive.key_exists("A\\B"));
  EXPECT_FALSE(hive.key_exists("A\\B\\C"));
  EXPECT_FALSE(hive.key_exists("A\\B\\C\\D"));
  EXPECT_EQ(hive.find_value("A\\B\\C", "v"), nullptr);
  EXPECT_EQ(dword_at(hive, "A\\B!", "v"), 4u);
  EXPECT_EQ(dword_at(hive, "A\\BC", "v"), 5u);
  EXPECT_EQ(dword_at(hive, "A\\BC\\X", "v"), 6u);
  EXPECT_TRUE(hive.key_exists("A"));

  EXPECT_FALSE(hive.delete_key("A\\B"));
}

TEST(RegistryHive, DeleteKeyOfAParentThatWasNeverCreated) {
  RegistryHive hive;
  hive.set_value("Parent\\Child", "v", uint32_t{1});
  hive.set_value("Other", "v", uint32_t{2});
  EXPECT_TRUE(hive.delete_key("PARENT"));
  EXPECT_FALSE(hive.key_exists("Parent"));
  EXPECT_FALSE(hive.key_exists("Parent\\Child"));
  EXPECT_TRUE(hive.key_exists("Other"));
  EXPECT_FALSE(hive.delete_key("")) << "the root is not a key that can be deleted";
  EXPECT_FALSE(hive.delete_key("Nowhere"));
}

TEST(RegistryHive, DeleteValue) {
  RegistryHive hive;
  hive.set_value("K", "Name", std::string("x"));
  hive.set_value("K", "Other", std::string("y"));
  EXPECT_TRUE(hive.delete_value("k", "NAME"));
  EXPECT_FALSE(hive.delete_value("K", "Name"));
  EXPECT_FALSE(hive.delete_value("Missing", "Name"));
  EXPECT_EQ(hive.find_value("K", "Name"), nullptr);
  EXPECT_EQ(text_at(hive, "K", "Other"), "y");
  EXPECT_TRUE(hive.key_exists("K")) << "a key without values stays";
}

TEST(RegistryHive, RewritingAValueCanChangeItsType) {
  RegistryHive hive;
  hive.set_value("K", "v", uint32_t{7});
  hive.set_value("K", "V", std::string("seven"));
  EXPECT_EQ(dword_at(hive, "K", "v"), std::nullopt);
  EXPECT_EQ(text_at(hive, "K", "v"), "seven");
}

// Texts that must come back byte for byte through the file form, used as key
// names, value names and values.
const std::vector<std::string>& awkward_texts() {
  using namespace std::string_literals;
  static const std::vector<std::string> texts = {
      "plain",
      "with \"quotes\"",
      "\"",
      "trailing backslash\\",
      "back\\\\slashes",
      "line\nbreak\r\nand\rreturn",
      "tab\there",
      "control \x01\x02\x1b\x1f\x7f and nul \0 inside"s,
      "한국어 똠 햏 뷁",
      "invalid \xff\xfe utf8 \xc3",
      "valid 한 then invalid \x80",
      "]",
      "[looks like a key]",
      "a=b",
      "; not a comment",
      "\\x41 is not an escape here",
      "=",
      " leading and trailing blanks ",
  };
  return texts;
}

TEST(RegistryHive, SerializeAndParseRoundTripAwkwardTexts) {
  RegistryHive hive;
  for (size_t i = 0; i < awkward_texts().size(); ++i) {
    const std::string& text = awkward_texts()[i];
    hive.set_value("Values", "v" + std::to_string(i), text);
    hive.set_value("Names", text, uint32_t(i));
    // Backslashes separate keys, so they cannot be part of one key name.
    if (text.find('\\') == std::string::npos) hive.set_value("Keys\\" + text, "i", uint32_t(i));
  }
  hive.set_value("Values", "", std::string("default value"));
  hive.set_value("Numbers", "zero", uint32_t{0});
  hive.set_value("Numbers", "max", uint32_t{0xffffffff});
  hive.set_value("Numbers", "high", uint32_t{0x80000000});
  hive.set_value("Numbers", "looks like a dword", std::string("dword:00000001"));
  hive.create_key("Empty\\Key");

  const std::string text = hive.serialize();
  const RegistryHive back = RegistryHive::parse(text);

  for (size_t i = 0; i < awkward_texts().size(); ++i) {
    const std::string& original = awkward_texts()[i];
    EXPECT_EQ(text_at(back, "Values", "v" + std::to_string(i)), original) << i;
    EXPECT_EQ(dword_at(back, "Names", original), uint32_t(i)) << i;
    if (original.find('\\') == std::string::npos) {
      EXPECT_EQ(dword_at(back, "Keys\\" + original, "i"), uint32_t(i)) << i;
    }
  }
  EXPECT_EQ(back.value_names("Names"), hive.value_names("Names"));
  EXPECT_EQ(text_at(back, "Values", ""), "default value");
  EXPECT_EQ(dword_at(back, "Numbers", "zero"), 0u);
  EXPECT_EQ(dword_at(back, "Numbers", "max"), 0xffffffffu);
  EXPECT_EQ(dword_at(back, "Numbers", "high"), 0x80000000u);
  EXPECT_EQ(text_at(back, "Numbers", "looks like a dword"), "dword:00000001");
  EXPECT_TRUE(back.key_exists("Empty\\Key"));
  // A second round gives the same text: nothing drifts between saves.
  EXPECT_EQ(back.serialize(), text);
}

TEST(RegistryHive, StoredTextIsValidUtf8WithOneRecordPerLine) {
  RegistryHive hive;
  for (size_t i = 0; i < awkward_texts().size(); ++i) hive.set_value("K", "n" + std::to_string(i), awkward_texts()[i]);
  hive.set_value("K", "korean", std::string("한글"));
  const std::string text = hive.serialize();
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  // Comment, blank line, key line, then one line per value.
  EXPECT_EQ(lines, 3 + awkward_texts().size() + 1) << text;
  EXPECT_TRUE(is_valid_utf8(text)) << "invalid bytes are escaped";
  EXPECT_NE(text.find("한글"), std::string::npos) << "valid UTF-8 stays readable";
}

TEST(RegistryHive, ParseSkipsCorruptLinesAndKeepsTheRest) {
  const std::string text =
      "; comment\r\n"
      "\"before any key\"=\"dropped\"\n"
      "[\"Good\"]\r\n"
      "\"a\"=dword:0000000A\r\n"
      "\"short\"=dword:123\n"
      "\"long\"=dword:000000001\n"
      "\"nothex\"=dword:0000000g\n"
      "\"unterminated\"=\"abc\n"
      "\"bad escape\"=\"\\q\"\n"
      "\"short hex\"=\"\\x4\"\n"
      "\"trailing\"=\"ok\" junk\n"
      "\"no equals\" \"x\"\n"
      "unquoted=\"x\"\n"
      "\"empty\"=\n"
      "garbage line\n"
      "\"b\"=\"kept\"\n"
      "\n"
      "[broken\n"
      "\"under broken\"=\"dropped\"\n"
      "[\"Other\"]\n"
      "\"c\"=\"x\"\n"
      "[unquoted]\n"
      "\"under unquoted\"=\"dropped\"\n"
      "[\"Last\"]\n"
      "\"d\"=dword:ffffffff";  // no final newline

  const RegistryHive hive = RegistryHive::parse(text);
  EXPECT_THAT(hive.value_names("Good"), ElementsAre("a", "b"));
  EXPECT_EQ(dword_at(hive, "Good", "a"), 10u);
  EXPECT_EQ(text_at(hive, "Good", "b"), "kept");
  EXPECT_THAT(hive.value_names("Other"), ElementsAre("c"));
  EXPECT_EQ(dword_at(hive, "Last", "d"), 0xffffffffu);
  EXPECT_FALSE(hive.key_exists("broken"));
  EXPECT_FALSE(hive.key_exists("unquoted"));
  EXPECT_TRUE(hive.value_names("").empty());
}

TEST(RegistryHive, ParseOfEmptyOrBinaryTextGivesAnEmptyHive) {
  for (std::string_view text : {std::string_view(""), std::string_view("\n\n\n"), std::string_view("\xff\xfe\x00[\"", 5)}) {
    RegistryHive hive = RegistryHive::parse(text);
    EXPECT_FALSE(hive.key_exists("x"));
    EXPECT_TRUE(hive.value_names("").empty());
  }
}

}  // namespace
}  // namespace dovel::platform
