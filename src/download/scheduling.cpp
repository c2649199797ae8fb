#include "download/scheduling.h"

namespace dovel::download {

int simultaneous_limit(int setting) { return setting <= 0 ? 1000 : setting; }

bool is_running_state(ItemState state) { return state == ItemState::Preparing || state == ItemState::Transferring; }

void BusyServers::enter(ItemState state, const std::vector<Source>& sources) {
  const bool running = is_running_state(state);
  for (const Source& source : sources) {
    bool& busy = servers_[{source.address, source.port}];
    busy = busy || running;
  }
}

bool BusyServers::busy(const Source& source) const {
  auto found = servers_.find({source.address, source.port});
  return found != servers_.end() && found->second;
}

void BusyServers::mark_busy(const Source& source) { servers_[{source.address, source.port}] = true; }

std::vector<size_t> plan_starts(const std::vector<ScheduleRow>& rows, int limit, BusyServers& servers) {
  std::vector<size_t> starts;
  int running = 0;
  for (const ScheduleRow& row : rows) {
    if (is_running_state(row.state)) ++running;
  }
  for (size_t index = 0; index < rows.size() && running < limit; ++index) {
    const ScheduleRow& row = rows[index];
    if (row.state != ItemState::Waiting || !row.can_start) continue;
    if (!row.sources.empty()) {
      if (servers.busy(row.sources.front())) continue;
      servers.mark_busy(row.sources.front());
    }
    starts.push_back(index);
    ++running;
  }
  return starts;
}

}  // namespace dovel::download
