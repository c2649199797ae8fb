#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dovel::ui {

// The words searched for lately, newest first, as the search bar offers them
// and as they are stored in one text value ("SearchText"), one per line.
class KeywordHistory {
 public:
  static constexpr size_t kMaxEntries = 20;

  // Reads a stored value; blank lines and entries beyond the limit are dropped.
  static KeywordHistory from_stored(std::string_view stored);
  std::string stored() const;

  // Puts the keyword (blanks trimmed) first; an equal older entry goes.
  void remember(std::string_view keyword);
  const std::vector<std::string>& entries() const { return entries_; }

 private:
  std::vector<std::string> entries_;
};

}  // namespace dovel::ui
