#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "search/result_table.h"

namespace dovel::search {

// A record with the name it is shown under. The content lists that decide both
// are asked before the tab lock is taken, so that no thread holds both locks.
struct ShownRecord {
  wire::ResultRecord record;
  std::string name;
};

// The results of one search as a caller on another thread sees them.
struct ResultSnapshot {
  uint32_t number = 0;
  std::vector<ResultRow> rows;
  std::optional<SortOrder> order;  // none while in the order of arrival
};

// The result tabs of the latest searches, by search number, under one lock:
// the processing thread of a search fills its tab while other threads sort,
// clear and read them.
class ResultTabs {
 public:
  // Older tabs beyond this are closed.
  static constexpr size_t kKeptTabs = 10;

  // A new, empty tab for the search `number`; it becomes the latest.
  void open(uint32_t number);
  // Adds the records of one responder that the rules let through, each with the
  // name it is shown under, to the tab of `number`; true when its rows changed.
  // Nothing happens when the tab is closed.
  bool insert(uint32_t number, const std::vector<ShownRecord>& records, const FoundAt& at);
  // Sorts the tab in the order given.
  void sort(uint32_t number, const SortOrder& order);
  // A click on a column header of the tab; the order it is now sorted in.
  std::optional<SortOrder> click(uint32_t number, SortColumn column);
  // Deletes every row of the tab (the tab stays).
  void clear(uint32_t number);

  std::optional<uint32_t> latest() const;
  std::optional<ResultSnapshot> snapshot(uint32_t number) const;

 private:
  struct Tab {
    uint32_t number = 0;
    ResultTable table;
    std::optional<SortOrder> order;
  };
  Tab* find(uint32_t number);
  const Tab* find(uint32_t number) const;

  mutable std::mutex lock_;
  std::deque<Tab> tabs_;  // oldest first
};

}  // namespace dovel::search
