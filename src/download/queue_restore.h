#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "db/info_database.h"
#include "download/download_item.h"

namespace dovel::download {

// A file of the temporary folder that belongs to no queued item.
struct LeftoverFile {
  std::string name;
  int64_t size = 0;
};

// An item already in the list: its rows and its temporary file are left alone.
struct ListedFile {
  std::string hash;
  std::string file_name;
};

struct RestoredQueue {
  std::vector<std::shared_ptr<DownloadItem>> items;  // in queue order, stopped (state 3) or finished (5)
  std::vector<std::string> dropped_hashes;           // rows removed from all three tables (also of the finished items)
  std::vector<std::string> deleted_empty_files;      // empty temporary files of no item, deleted
  std::vector<LeftoverFile> leftovers;               // other temporary files of no item, kept
  std::filesystem::path temporary_folder;            // where they are (empty when it was not swept)
};

// The queue as the info database holds it, checked against the temporary
// folder below `download_folder`. A row comes back stopped when it has
// received-range rows and either nothing was received yet or its temporary
// file is there and not empty (cut back to the item's size when longer). A row
// whose temporary file is gone and whose file is in the target folder under
// its own name and with its FileHash finished before the row went: it comes
// back finished and its rows go, as that run would have left them. Other rows,
// and rows that cannot be (an unsafe name or sub-folder, a malformed FileHash,
// a size below 1, a second row of the same FileHash or file name), are
// dropped. While the download folder is not there at all, no row is dropped
// for a missing temporary file. Holds the info-database lock throughout; the
// drops are one transaction. Then the temporary folder is swept.
RestoredQueue restore_queue(db::InfoDatabase& info, const std::filesystem::path& download_folder, const std::vector<ListedFile>& listed);

}  // namespace dovel::download
