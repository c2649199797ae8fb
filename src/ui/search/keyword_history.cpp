#include "ui/search/keyword_history.h"

#include <algorithm>

#include "base/text.h"

namespace dovel::ui {
namespace {

// A keyword as one stored line: no line breaks inside.
std::string one_line(std::string_view keyword) {
  std::string line(base::trim(keyword));
  std::replace_if(line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return line;
}

}  // namespace

KeywordHistory KeywordHistory::from_stored(std::string_view stored) {
  KeywordHistory history;
  for (const std::string& line : base::split(stored, '\n')) {
    const std::string entry = one_line(line);
    if (entry.empty() || std::find(history.entries_.begin(), history.entries_.end(), entry) != history.entries_.end()) continue;
    if (history.entries_.size() == kMaxEntries) break;
    history.entries_.push_back(entry);
  }
  return history;
}

std::string KeywordHistory::stored() const { return base::join(entries_, "\n"); }

void KeywordHistory::remember(std::string_view keyword) {
  const std::string entry = one_line(keyword);
  if (entry.empty()) return;
  std::erase(entries_, entry);
  entries_.insert(entries_.begin(), entry);
  if (entries_.size() > kMaxEntries) entries_.resize(kMaxEntries);
}

}  // namespace dovel::ui
