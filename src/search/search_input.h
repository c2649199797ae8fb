#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/search_content_lists.h"

namespace dovel::search {

// A hash query carries at most this many FileHash values.
inline constexpr size_t kMaxSearchHashes = 50;

// What the user or a dovel:// request asks for. Texts are UTF-8.
// (Every field has an initializer, so that a request may name only its first ones.)
struct SearchRequest {
  std::string keyword{};    // the search-bar text
  std::string extension{};  // the extension box, dots and all
  // The caller lets a keyword that is a FileHash become a hash query.
  bool allow_hash_query = false;
  // A hash-list search (a request's list of up to 50 FileHash values) when not
  // empty: the keyword is then not sent.
  std::vector<std::string> hashes{};
};

// What the session allows beyond the common rules.
struct SearchRights {
  // All checks on the input are skipped except the first; hash queries allowed.
  bool transfer_flag = false;
  // Hash queries allowed.
  bool privilege_a = false;
};

// What to send: a keyword query's text (CP949, at most 50 bytes) or the hashes
// of a hash query; or, when neither, the message that refuses the request.
struct PreparedQuery {
  std::optional<std::string> text;
  std::vector<std::string> hashes;
  std::string refusal;

  bool ready() const { return text || !hashes.empty(); }
};

// Checks the input as the search window does and builds the query text: words
// separated by 0x01, optionally 0x02 and the extension; or 0x02 0x02 and the
// FileHash when the keyword is one and hash queries are allowed. Byte rules are
// counted on the CP949 form of what was typed. A hash-list request keeps the
// entries that are FileHash values (in lower case), each once, at most 50.
PreparedQuery prepare_query(const SearchRequest& request, const SearchRights& rights, const SearchContentLists& lists);

}  // namespace dovel::search
