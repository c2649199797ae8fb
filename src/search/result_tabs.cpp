#include "search/result_tabs.h"

#include <algorithm>

namespace dovel::search {

void ResultTabs::open(uint32_t number) {
  std::lock_guard guard(lock_);
  std::erase_if(tabs_, [number](const Tab& tab) { return tab.number == number; });
  tabs_.push_back({number, {}, std::nullopt});
  while (tabs_.size() > kKeptTabs) tabs_.pop_front();
}

bool ResultTabs::insert(uint32_t number, const std::vector<ShownRecord>& records, const FoundAt& at) {
  std::lock_guard guard(lock_);
  Tab* tab = find(number);
  if (tab == nullptr) return false;
  bool changed = false;
  for (const ShownRecord& shown : records) changed = tab->table.insert(shown.record, shown.name, at) || changed;
  return changed;
}

void ResultTabs::sort(uint32_t number, const SortOrder& order) {
  std::lock_guard guard(lock_);
  if (Tab* tab = find(number)) {
    tab->table.sort(order);
    tab->order = order;
  }
}

std::optional<SortOrder> ResultTabs::click(uint32_t number, SortColumn column) {
  std::lock_guard guard(lock_);
  Tab* tab = find(number);
  if (tab == nullptr) return std::nullopt;
  tab->order = after_header_click(tab->order, column);
  tab->table.sort(*tab->order);
  return tab->order;
}

void ResultTabs::clear(uint32_t number) {
  std::lock_guard guard(lock_);
  if (Tab* tab = find(number)) tab->table.clear();
}

std::optional<uint32_t> ResultTabs::latest() const {
  std::lock_guard guard(lock_);
  if (tabs_.empty()) return std::nullopt;
  return tabs_.back().number;
}

std::optional<ResultSnapshot> ResultTabs::snapshot(uint32_t number) const {
  std::lock_guard guard(lock_);
  const Tab* tab = find(number);
  if (tab == nullptr) return std::nullopt;
  return ResultSnapshot{number, tab->table.rows(), tab->order};
}

ResultTabs::Tab* ResultTabs::find(uint32_t number) {
  auto found = std::find_if(tabs_.begin(), tabs_.end(), [number](const Tab& tab) { return tab.number == number; });
  return found == tabs_.end() ? nullptr : &*found;
}

const ResultTabs::Tab* ResultTabs::find(uint32_t number) const {
  auto found = std::find_if(tabs_.begin(), tabs_.end(), [number](const Tab& tab) { return tab.number == number; });
  return found == tabs_.end() ? nullptr : &*found;
}

}  // namespace dovel::search
