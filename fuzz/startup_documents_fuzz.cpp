// The status file and the update list come from the update host; the local
// update list from a file anyone with access to the program folder may write.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/service_status.h"
#include "app/update_list.h"
#include "app/version_text.h"

namespace {

dovel::app::VersionOrder reversed(dovel::app::VersionOrder order) {
  using dovel::app::VersionOrder;
  if (order == VersionOrder::Older) return VersionOrder::Newer;
  if (order == VersionOrder::Newer) return VersionOrder::Older;
  return order;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel::app;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  StatusFile status = ReadStatusFile(input);
  if (status.status.closed_for_maintenance == status.status.notice.empty()) __builtin_trap();

  std::optional<UpdateList> list = ReadUpdateList(input);
  if (!list) return 0;
  for (size_t i = 0; i + 1 < list->size(); ++i) {
    const std::string& a = (*list)[i].version;
    const std::string& b = (*list)[i + 1].version;
    if (CompareVersions(a, b) != reversed(CompareVersions(b, a))) __builtin_trap();
    IsFileCurrent(list, (*list)[i].name, b);
  }
  return 0;
}
