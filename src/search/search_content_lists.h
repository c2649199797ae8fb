#pragma once

#include <string>
#include <string_view>

#include "browse/content_lists.h"

namespace dovel::search {

// The service's content lists as a search asks them: everything remote browsing
// asks (names, files and extensions not to show, words to mask), and the words
// that may not be searched for. Until the lists arrive, PassingSearchContentLists
// lets everything through.
class SearchContentLists : public browse::ContentLists {
 public:
  // The text (lower case) is on the forbidden-search-word list.
  virtual bool forbidden_search_word(std::string_view text) const = 0;
};

class PassingSearchContentLists final : public SearchContentLists {
 public:
  bool forbidden_name(std::string_view) const override { return false; }
  bool restricted_folder_name(std::string_view) const override { return false; }
  bool restricted_file_name(std::string_view) const override { return false; }
  bool forbidden_file(std::string_view) const override { return false; }
  bool forbidden_extension(std::string_view) const override { return false; }
  std::string masked(std::string_view name) const override { return std::string(name); }
  bool forbidden_search_word(std::string_view) const override { return false; }
};

}  // namespace dovel::search
