#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "download/download_manager.h"

namespace dovel::ui::test {

// A list row as the manager would give it, its texts made by the core.
inline download::ListRow list_row(const std::string& hash, const std::string& name, download::ItemState state, int64_t size,
                                  int64_t received) {
  download::ListRow row;
  row.item.hash = hash;
  row.item.file_name = name;
  row.item.state = state;
  row.item.size = size;
  row.item.received = received;
  row.texts = download::item_texts(row.item);
  return row;
}

inline download::ConnectionView connection(uint64_t id, platform::Ipv4 address, uint16_t port) {
  download::ConnectionView view;
  view.id = id;
  view.address = address;
  view.port = port;
  return view;
}

// The row with these connections, its counts and texts made again.
inline download::ListRow with_connections(download::ListRow row, std::vector<download::ConnectionView> connections) {
  row.item.connections = std::move(connections);
  row.item.active_connections = static_cast<int>(row.item.connections.size());
  row.texts = download::item_texts(row.item);
  return row;
}

}  // namespace dovel::ui::test
