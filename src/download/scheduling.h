#pragma once

#include <cstddef>
#include <map>
#include <utility>
#include <vector>

#include "download/download_item.h"

namespace dovel::download {

// The limit of simultaneous downloads a setting of "SelLimitDownSameTime" gives:
// 0 means no limit, taken as 1000.
int simultaneous_limit(int setting);

// Items in these states have a run that uses their sources.
bool is_running_state(ItemState state);

// The source servers of both lists and whether a running item uses them; at
// most one run per server at a time.
class BusyServers {
 public:
  // Every source of an item; busy when the item runs.
  void enter(ItemState state, const std::vector<Source>& sources);
  bool busy(const Source& source) const;
  void mark_busy(const Source& source);

 private:
  std::map<std::pair<platform::Ipv4, uint16_t>, bool> servers_;
};

// One row of a list as the scheduler sees it.
struct ScheduleRow {
  ItemState state = ItemState::Waiting;
  std::vector<Source> sources;
  // False while an earlier run of the item has not reported its end yet.
  bool can_start = true;
};

// The rows of one list that start now, top to bottom: waiting rows whose first
// source is not busy (rows without sources skip that test), each marking its
// first source busy, until the running rows of the list reach `limit`.
std::vector<size_t> plan_starts(const std::vector<ScheduleRow>& rows, int limit, BusyServers& servers);

}  // namespace dovel::download
