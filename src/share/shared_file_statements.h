#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "db/sqlite3_connection.h"
#include "settings/shared_folder.h"

namespace dovel::share {

inline constexpr int kFileRow = 1;
inline constexpr int kDirectoryRow = 0;

// One row of the shared-files table as hashing writes it.
struct SharedFileRow {
  std::string hash;
  std::string name;       // without the extension
  std::string extension;  // without the dot
  int file_type = kFileRow;
  int64_t size = 0;
  int32_t last_write_time = 0;  // low 32 bits of the FILETIME, when a hash is stored
  std::string path;             // folder relative to the share, no leading or trailing backslash
  uint32_t right = 0;           // the share's flags
  std::string shared_name;
  settings::ShareIndex shared_index = 0;
  int32_t run_id = 0;
};

// The key of a file row that a run may reuse.
struct ReusableKey {
  std::string name;
  std::string path;
  settings::ShareIndex shared_index = 0;
  std::string extension;
  int64_t size = 0;
};

struct ReusableRow {
  int32_t last_write_time = 0;
  std::string hash;
};

// The four prepared statements of hashing, for one run (one RunId). Every value
// is bound; the size travels as a floating-point number.
class SharedFileStatements {
 public:
  SharedFileStatements(db::Sqlite3Connection& connection, int32_t run_id);

  // The row of an earlier run for this file, if there is one.
  std::optional<ReusableRow> find_reusable(const ReusableKey& key);
  // Marks that row as seen by this run with the share's current flags.
  void mark_reused(const ReusableKey& key, uint32_t right);
  void delete_old(const ReusableKey& key);
  void insert(const SharedFileRow& row);
  void finish();

 private:
  void bind_key(db::Sqlite3Statement& statement, int first, const ReusableKey& key);

  int32_t run_id_;
  db::Sqlite3Statement select_;
  db::Sqlite3Statement update_;
  db::Sqlite3Statement delete_;
  db::Sqlite3Statement insert_;
};

// "name.ext" -> {"name", "ext"}; no dot -> {"name", ""}.
std::pair<std::string, std::string> split_file_name(const std::string& file_name);

}  // namespace dovel::share
