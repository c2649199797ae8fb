#include "ui/search/result_refine.h"

#include "base/text.h"

namespace dovel::ui {

std::optional<RefineFilter> RefineFilter::of(std::string_view keyword, std::string_view extension) {
  RefineFilter filter;
  for (const std::string& word : base::split(base::trim(keyword), ' ')) {
    if (!base::trim(word).empty()) filter.words_.push_back(base::ascii_lower(base::trim(word)));
  }
  for (char c : base::trim(extension)) {
    if (c != '.') filter.extension_ += c;
  }
  filter.extension_ = base::ascii_lower(filter.extension_);
  if (filter.words_.empty() && filter.extension_.empty()) return std::nullopt;
  return filter;
}

bool RefineFilter::matches(const search::ResultRow& row) const {
  const std::string name = base::ascii_lower(row.name);
  for (const std::string& word : words_) {
    if (name.find(word) == std::string::npos) return false;
  }
  if (extension_.empty()) return true;
  const size_t dot = name.rfind('.');
  return dot != std::string::npos && std::string_view(name).substr(dot + 1) == extension_;
}

}  // namespace dovel::ui
