#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/cp949.h"
#include "search/search_doubles.h"
#include "search/search_input.h"
#include "support/cp949_text.h"

namespace dovel::search {
namespace {

constexpr const char* kHash = "0123456789abcdef0123456789abcdef";

std::string repeated(std::string_view text, size_t times) {
  std::string all;
  for (size_t i = 0; i < times; ++i) all += text;
  return all;
}

using dovel::test::cp949;

struct InputCase {
  const char* what;
  SearchRequest request;
  SearchRights rights;
  std::optional<std::string> text;  // the query text (CP949) when accepted
  std::string refusal;              // the message otherwise
};

void PrintTo(const InputCase& input, std::ostream* out) { *out << input.what; }

class SearchInputTable : public ::testing::TestWithParam<InputCase> {};

// The case's description as a test name: letters and digits, the rest "_".
std::string case_name(const ::testing::TestParamInfo<InputCase>& info) {
  std::string name;
  for (const char c : std::string_view(info.param.what)) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

TEST_P(SearchInputTable, AcceptsOrRefusesWithTheMessage) {
  const InputCase& input = GetParam();
  test::ListedContent lists;
  lists.forbidden_extensions = {"exe"};
  lists.forbidden_search_words = {"bad movie", "pirate"};
  const PreparedQuery prepared = prepare_query(input.request, input.rights, lists);
  if (input.text) {
    EXPECT_EQ(prepared.text, input.text) << input.what;
    EXPECT_EQ(prepared.refusal, "") << input.what;
  } else {
    EXPECT_FALSE(prepared.ready()) << input.what;
    EXPECT_EQ(prepared.refusal, input.refusal) << input.what;
  }
}

const SearchRights kUser{};
const SearchRights kTransfer{true, false};
const SearchRights kPrivileged{false, true};

INSTANTIATE_TEST_SUITE_P(
    Validation, SearchInputTable,
    ::testing::Values(
        InputCase{"nothing typed", {""}, kUser, {}, "검색어를 입력하세요."},
        InputCase{"blanks only", {"   "}, kTransfer, {}, "검색어를 입력하세요."},
        InputCase{"one byte", {"a"}, kUser, {}, "검색어는 최소 2자이상 되어야 합니다."},
        InputCase{"one byte, privileged alike", {" a "}, kTransfer, {}, "검색어는 최소 2자이상 되어야 합니다."},
        InputCase{"two one-letter English words", {"a b"}, kUser, {}, "영문일경우 1자 이상이어야 합니다."},
        InputCase{"a word that is one letter once its punctuation is gone", {"c++ movie"}, kUser, {}, "영문일경우 1자 이상이어야 합니다."},
        InputCase{"one Korean syllable", {"가"}, kUser, {}, "'가' - 한글(일본어,한자등)이 포함될 경우 두자 이상이어야 합니다."},
        InputCase{"a syllable and a letter are three bytes", {"영화 가a"}, kUser, {}, "'가a' - 한글(일본어,한자등)이 포함될 경우 두자 이상이어야 합니다."},
        InputCase{"two syllables", {"영화"}, kUser, cp949("영화"), ""},
        InputCase{"a letter then a syllable is not a double-byte word", {"a가"}, kUser, cp949("a가"), ""},
        InputCase{"forbidden extension, named as typed", {"movie", ".EXE"}, kUser, {}, "EXE 확장자는 검색되지 않습니다."},
        InputCase{"special character", {"movie!"}, kUser, {}, "검색어에 특수문자가 포함되어질 수 없습니다."},
        InputCase{"special character inside a word", {"ab-cd"}, kUser, {}, "검색어에 특수문자가 포함되어질 수 없습니다."},
        InputCase{"forbidden keyword as a whole", {"Bad Movie"}, kUser, {}, "'Bad Movie'은(는) 저작권요청단어또는 금지단어입니다."},
        InputCase{"forbidden single word", {"the PIRATE/"}, kUser, {}, "'PIRATE'은(는) 저작권요청단어또는 금지단어입니다."},
        InputCase{"transfer flag skips the word rules", {"a b!", ".exe"}, kTransfer, std::string("a\x01" "b!\x02" "exe"), ""},
        InputCase{"words and an extension", {"  holiday  movie ", "..avi"}, kUser, std::string("holiday\x01movie\x02" "avi"), ""},
        InputCase{"50 bytes in CP949 with the extension", {repeated("가", 23), "avi"}, kUser, cp949(repeated("가", 23)) + "\x02" "avi", ""},
        InputCase{"51 bytes in CP949 with the extension", {repeated("가", 23), "avix"}, kUser, {}, "검색어와 확장자를 포함해 50바이트가 넘으면 안됩니다."},
        InputCase{"50 ASCII bytes", {repeated("x", 46), "avi"}, kUser, repeated("x", 46) + "\x02" "avi", ""},
        InputCase{"51 bytes refused for the privileged too", {repeated("x", 51)}, kTransfer, {}, "검색어와 확장자를 포함해 50바이트가 넘으면 안됩니다."},
        InputCase{"hash with hash queries allowed", {kHash, "", true}, kUser, std::string("\x02\x02") + kHash, ""},
        InputCase{"hash without permission is a keyword", {kHash}, kUser, std::string(kHash), ""},
        InputCase{"privilege A allows the hash query", {kHash}, kPrivileged, std::string("\x02\x02") + kHash, ""},
        InputCase{"transfer flag allows the hash query", {kHash}, kTransfer, std::string("\x02\x02") + kHash, ""},
        InputCase{"upper-case hex is no hash", {"0123456789ABCDEF0123456789ABCDEF", "", true}, kUser,
                  std::string("0123456789ABCDEF0123456789ABCDEF"), ""},
        InputCase{"a control byte would forge a separator", {"ab\x02" "cd"}, kTransfer, {}, "검색어에 특수문자가 포함되어질 수 없습니다."},
        InputCase{"a control byte in the extension", {"movie", "av\x01i"}, kTransfer, {}, "검색어에 특수문자가 포함되어질 수 없습니다."},
        InputCase{"text without a CP949 form", {"movie \xF0\x9F\x98\x80"}, kTransfer, {}, "검색어에 특수문자가 포함되어질 수 없습니다."}),
    case_name);

TEST(SearchInput, HashListKeepsEachFileHashOnceInLowerCase) {
  test::ListedContent lists;
  const std::string upper = "ABCDEF0123456789ABCDEF0123456789";
  const PreparedQuery prepared =
      prepare_query({"ignored", "", false, {" " + upper + " ", "not a hash", kHash, "abcdef0123456789abcdef0123456789"}}, {}, lists);
  EXPECT_FALSE(prepared.text);
  EXPECT_EQ(prepared.hashes, (std::vector<std::string>{"abcdef0123456789abcdef0123456789", kHash}));
}

TEST(SearchInput, HashListTakesAtMostFifty) {
  test::ListedContent lists;
  std::vector<std::string> many;
  for (int i = 0; i < 60; ++i) many.push_back(std::string(30, 'a') + (i < 10 ? "0" : "") + std::to_string(i));
  EXPECT_EQ(prepare_query({"", "", false, many}, {}, lists).hashes.size(), kMaxSearchHashes);
}

TEST(SearchInput, HashListWithoutAnyHashIsRefused) {
  test::ListedContent lists;
  const PreparedQuery prepared = prepare_query({"", "", false, {"nothing", "0123"}}, {}, lists);
  EXPECT_FALSE(prepared.ready());
  EXPECT_EQ(prepared.refusal, "검색어를 입력하세요.");
}

}  // namespace
}  // namespace dovel::search
