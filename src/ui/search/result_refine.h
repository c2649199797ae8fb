#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/result_rows.h"

namespace dovel::ui {

// "결과내 재검색": the rows of a result tab that hold every typed word in their
// name (letters compared without regard to case) and, when an extension was
// typed, end in that extension.
class RefineFilter {
 public:
  static constexpr const char* kNothingTyped = "결과내 재검색: 검색어나 확장자를 입력하세요.";

  // The filter of the search bar's texts; nullopt when neither words nor an
  // extension (dots do not count) were typed.
  static std::optional<RefineFilter> of(std::string_view keyword, std::string_view extension);

  bool matches(const search::ResultRow& row) const;
  bool operator==(const RefineFilter&) const = default;

 private:
  std::vector<std::string> words_;  // lower case
  std::string extension_;           // lower case, without dots
};

}  // namespace dovel::ui
