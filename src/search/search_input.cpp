#include "search/search_input.h"

#include <algorithm>

#include "base/string_printf.h"
#include "base/text.h"
#include "util/file_hash_text.h"
#include "wire/query_datagram.h"
#include "wire/wire_text.h"

namespace dovel::search {
namespace {

constexpr const char* kEmptyKeyword = "검색어를 입력하세요.";
constexpr const char* kShortKeyword = "검색어는 최소 2자이상 되어야 합니다.";
constexpr const char* kShortEnglishWord = "영문일경우 1자 이상이어야 합니다.";
constexpr const char* kShortDoubleByteWord = "'%s' - 한글(일본어,한자등)이 포함될 경우 두자 이상이어야 합니다.";
constexpr const char* kForbiddenExtension = "%s 확장자는 검색되지 않습니다.";
constexpr const char* kSpecialCharacter = "검색어에 특수문자가 포함되어질 수 없습니다.";
constexpr const char* kForbiddenWord = "'%s'은(는) 저작권요청단어또는 금지단어입니다.";
constexpr const char* kLongQuery = "검색어와 확장자를 포함해 50바이트가 넘으면 안됩니다.";

constexpr std::string_view kSpecialCharacters = "~!@#$%^&*()_+.,'-\"";
constexpr size_t kMinKeywordBytes = 2;
constexpr size_t kMinWordBytes = 2;
// A word that starts with a double-byte character needs two of them.
constexpr size_t kMaxShortDoubleByteWord = 3;

PreparedQuery refused(std::string message) { return {std::nullopt, {}, std::move(message)}; }

bool is_ascii_punctuation(unsigned char c) {
  return (c >= 33 && c <= 47) || (c >= 58 && c <= 64) || (c >= 91 && c <= 96) || (c >= 123 && c <= 126);
}

// The words of a keyword: what lies between spaces, empty ones left out.
std::vector<std::string> words_of(std::string_view keyword) {
  std::vector<std::string> words = base::split(keyword, ' ');
  std::erase_if(words, [](const std::string& word) { return word.empty(); });
  return words;
}

// ASCII punctuation is a single byte in UTF-8 as in CP949, so it can be taken
// out of the UTF-8 form.
std::string without_punctuation(std::string_view word) {
  std::string kept;
  for (char c : word) {
    if (!is_ascii_punctuation(static_cast<unsigned char>(c))) kept += c;
  }
  return kept;
}

std::optional<std::string> word_refusal(const std::string& word) {
  const std::string bare = without_punctuation(word);
  const std::optional<std::string> form = wire::field(bare);
  if (!form) return kSpecialCharacter;
  const size_t size = form->size();
  if (size < kMinWordBytes) return kShortEnglishWord;
  const bool starts_double_byte = static_cast<unsigned char>(bare.front()) >= 0x80;
  if (starts_double_byte && size <= kMaxShortDoubleByteWord) return base::string_printf(kShortDoubleByteWord, bare.c_str());
  return std::nullopt;
}

std::optional<std::string> forbidden_word_refusal(const std::string& keyword, const SearchContentLists& lists) {
  if (lists.forbidden_search_word(base::ascii_lower(keyword))) return base::string_printf(kForbiddenWord, keyword.c_str());
  for (const std::string& word : words_of(keyword)) {
    const std::string bare = without_punctuation(word);
    if (!bare.empty() && lists.forbidden_search_word(base::ascii_lower(bare))) return base::string_printf(kForbiddenWord, bare.c_str());
  }
  return std::nullopt;
}

// The checks that privileged users skip.
std::optional<std::string> rule_refusal(const std::string& keyword, const std::string& extension, const SearchContentLists& lists) {
  for (const std::string& word : words_of(keyword)) {
    if (std::optional<std::string> refusal = word_refusal(word)) return refusal;
  }
  if (!extension.empty() && lists.forbidden_extension(base::ascii_lower(extension))) {
    return base::string_printf(kForbiddenExtension, extension.c_str());
  }
  if (keyword.find_first_of(kSpecialCharacters) != std::string::npos) return kSpecialCharacter;
  return forbidden_word_refusal(keyword, lists);
}

std::string extension_of(std::string_view typed) {
  std::string extension(base::trim(typed));
  std::erase(extension, '.');
  return extension;
}

// A list from a request is not typed text: only its entries are checked.
PreparedQuery prepare_hash_list(const std::vector<std::string>& candidates) {
  PreparedQuery prepared;
  for (const std::string& candidate : candidates) {
    if (prepared.hashes.size() == kMaxSearchHashes) break;
    std::optional<std::string> hash = util::lower_case_file_hash(base::trim(candidate));
    if (hash && std::find(prepared.hashes.begin(), prepared.hashes.end(), *hash) == prepared.hashes.end()) {
      prepared.hashes.push_back(std::move(*hash));
    }
  }
  if (prepared.hashes.empty()) prepared.refusal = kEmptyKeyword;
  return prepared;
}

}  // namespace

PreparedQuery prepare_query(const SearchRequest& input, const SearchRights& rights, const SearchContentLists& lists) {
  if (!input.hashes.empty()) return prepare_hash_list(input.hashes);
  const std::string keyword(base::trim(input.keyword));
  const std::string extension = extension_of(input.extension);
  if (keyword.empty()) return refused(kEmptyKeyword);
  // Text the wire cannot carry is refused for everyone, privileged or not.
  const std::optional<std::string> wire_keyword = wire::field(keyword);
  if (base::has_control_byte(keyword) || base::has_control_byte(extension) || !wire_keyword || !wire::field(extension)) {
    return refused(kSpecialCharacter);
  }
  if (wire_keyword->size() < kMinKeywordBytes) return refused(kShortKeyword);
  if (!rights.transfer_flag) {
    if (std::optional<std::string> refusal = rule_refusal(keyword, extension, lists)) return refused(std::move(*refusal));
  }

  std::string text;
  if (util::is_lower_case_file_hash(keyword) && (input.allow_hash_query || rights.transfer_flag || rights.privilege_a)) {
    text = std::string(2, wire::kQueryFieldSeparator) + keyword;
  } else {
    text = base::join(words_of(keyword), std::string(1, wire::kQueryWordSeparator));
    if (!extension.empty()) text += wire::kQueryFieldSeparator + extension;
  }
  std::optional<std::string> query_text = wire::field(text);
  if (!query_text) return refused(kSpecialCharacter);
  if (query_text->size() > wire::kQueryTextSize) return refused(kLongQuery);
  return {std::move(query_text), {}, {}};
}

}  // namespace dovel::search
