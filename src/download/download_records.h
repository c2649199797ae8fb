#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/info_database.h"
#include "download/download_item.h"

namespace dovel::download {

// The queue's rows in the info database ("DovelInfo.dat"): `incompleted_files`
// (one row per queued file), `addr_info` (its sources). Every value is bound as
// a parameter or written through the database layer's quoting, never spliced
// raw; every call takes the info-database lock. A failing statement is
// ignored (false), as the queue goes on without it. The received ranges
// (`down_file_info`) belong to received_ranges.h.

struct QueuedRow {
  std::string hash;
  std::string file_name;
  int64_t size = 0;
  int64_t current = 0;
  std::string peer_id;
  std::string password;
  int shared_index = 0;
  std::string path;
  std::string sub_folder;
};

bool insert_queued_row(db::InfoDatabase& info, const QueuedRow& row);
bool update_progress(db::InfoDatabase& info, const std::string& hash, int64_t current, int shared_index, const std::string& path);
bool update_order(db::InfoDatabase& info, const std::string& hash, const std::string& peer_id, int index);
// Every row the queue keeps for the hash, in all three tables.
bool delete_queued_file(db::InfoDatabase& info, const std::string& hash);
// In queue order ([idx]).
std::vector<QueuedRow> load_queued_rows(db::InfoDatabase& info);

// Adds the sources not yet stored (peer IDs stored in the letter-pair encoding).
bool add_sources(db::InfoDatabase& info, const std::string& hash, const std::vector<Source>& sources);
// Replaces the stored sources of the hash by `sources`.
bool replace_sources(db::InfoDatabase& info, const std::string& hash, const std::vector<Source>& sources);
std::vector<Source> load_sources(db::InfoDatabase& info, const std::string& hash);
// A source that moved: every row of that peer ID gets the new address and port.
bool update_source_address(db::InfoDatabase& info, const std::string& peer_id, platform::Ipv4 address, uint16_t port);

// The `down_file_info` rows the queue itself needs until the received ranges
// take them over: the placeholder (0, 0) written when an item is added, and the
// existence test of the restore at start (any row, the placeholder included).
bool insert_range_placeholder(db::InfoDatabase& info, const std::string& hash);
bool has_range_rows(db::InfoDatabase& info, const std::string& hash);

}  // namespace dovel::download
