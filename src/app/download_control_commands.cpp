#include "app/download_control_commands.h"

#include <string>
#include <vector>

#include "util/json_text.h"

namespace dovel::app {
namespace {

std::string source_json(const download::Source& source) {
  return util::JsonObject()
      .add("address", platform::format_ipv4(source.address))
      .add("port", static_cast<int64_t>(source.port))
      .add("id", source.peer_id)
      .text();
}

std::string item_json(const download::ListRow& row) {
  const download::ItemSnapshot& item = row.item;
  std::vector<std::string> sources;
  for (const download::Source& source : item.sources) sources.push_back(source_json(source));
  return util::JsonObject()
      .add("hash", item.hash)
      .add("name", item.file_name)
      .add("peer", item.peer_id)
      .add("state", static_cast<int64_t>(item.state))
      .add("state_text", row.texts.state)
      .add("status", static_cast<int64_t>(item.status_code))
      .add("status_text", row.texts.status)
      .add("size", item.size)
      .add("received", item.received)
      .add("percent", static_cast<int64_t>(row.texts.percent))
      .add("average_speed", item.average_speed)
      .add("current_speed", item.current_speed)
      .add("remaining", row.texts.remaining_time)
      .add("connections", static_cast<int64_t>(item.active_connections))
      .add("pending", static_cast<int64_t>(item.pending_connections))
      .add("folder", item.target_folder)
      .add_json("sources", util::json_array(sources))
      .text();
}

std::string outcome(bool done, std::string_view command) {
  if (done) return util::JsonObject().add("ok", true).text();
  return control_failure(std::string(command) + " was refused; the log says why");
}

}  // namespace

void add_download_control_commands(ControlTarget& target, download::DownloadManager& manager) {
  target.commands["downloads"] = [&manager](std::string_view argument) {
    if (!argument.empty()) return control_failure("downloads takes nothing");
    std::vector<std::string> items;
    for (const download::ListRow& row : manager.snapshot()) items.push_back(item_json(row));
    return util::JsonObject().add("ok", true).add_json("items", util::json_array(items)).text();
  };
  target.commands["stop"] = [&manager](std::string_view hash) { return outcome(manager.stop(std::string(hash)), "stop"); };
  target.commands["resume"] = [&manager](std::string_view hash) { return outcome(manager.resume(std::string(hash)), "resume"); };
  target.commands["delete"] = [&manager](std::string_view hash) { return outcome(manager.remove(std::string(hash)), "delete"); };
}

}  // namespace dovel::app
