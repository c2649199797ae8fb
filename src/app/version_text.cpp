#include "app/version_text.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace dovel::app {
namespace {

bool is_number(std::string_view part) {
  return !part.empty() && std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The numbers of a dotted version, each without its leading zeros ("" is 0);
// nullopt when a part is not a number.
std::optional<std::vector<std::string_view>> dotted_numbers(std::string_view text) {
  std::vector<std::string_view> numbers;
  while (true) {
    size_t dot = text.find('.');
    std::string_view part = text.substr(0, dot);
    if (!is_number(part)) return std::nullopt;
    part.remove_prefix(std::min(part.find_first_not_of('0'), part.size()));
    numbers.push_back(part);
    if (dot == std::string_view::npos) return numbers;
    text.remove_prefix(dot + 1);
  }
}

// Compares two digit strings without leading zeros.
int compare_numbers(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

}  // namespace

VersionOrder CompareVersions(std::string_view a, std::string_view b) {
  if (a == b) return VersionOrder::Same;
  std::optional<std::vector<std::string_view>> left = dotted_numbers(a);
  std::optional<std::vector<std::string_view>> right = dotted_numbers(b);
  if (!left || !right) return VersionOrder::Incomparable;
  const size_t parts = std::max(left->size(), right->size());
  for (size_t i = 0; i < parts; ++i) {
    std::string_view x = i < left->size() ? (*left)[i] : std::string_view();
    std::string_view y = i < right->size() ? (*right)[i] : std::string_view();
    int order = compare_numbers(x, y);
    if (order != 0) return order < 0 ? VersionOrder::Older : VersionOrder::Newer;
  }
  return VersionOrder::Same;
}

bool VersionAtLeast(std::string_view have, std::string_view wanted) {
  VersionOrder order = CompareVersions(have, wanted);
  return order == VersionOrder::Same || order == VersionOrder::Newer;
}

}  // namespace dovel::app
