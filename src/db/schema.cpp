#include "db/schema.h"

#include <initializer_list>
#include <mutex>
#include <string>

#include "base/string_printf.h"
#include "db/database_lock.h"
#include "db/name_index.h"

namespace dovel::db {
namespace {

constexpr const char* kCreateSharedFiles =
    "create table shared_files\t\t(\t\tidx              integer primary key autoincrement,\t\thash             char(32),\t\t"
    "name             varchar(255),\t\textention        varchar(255),\t\tfile_type        integer,\t\tsize             integer,\t\t"
    "hashed_size      integer,\t\tlast_write_time  integer,\t\tpath             text,\t\tdown_requested   integer,\t\t"
    "search_requested integer,\t\tlevel            integer,\t\tright            integer,\t\tshared_name      varchar(255),\t\t"
    "shared_index     integer not null,\t\thash_version     integer,\t\tuniq_id          integer\t\t);\t\t\t\t\t\t"
    "create index idx_shared_files_01 on shared_files (hash);\t\tcreate index idx_shared_files_02 on shared_files (name);\t\t"
    "create index idx_shared_files_03 on shared_files (extention);\t\tcreate index idx_shared_files_04 on shared_files (size);\t\t"
    "create index idx_shared_files_05 on shared_files (right);\t\tcreate index idx_shared_files_06 on shared_files (uniq_id);";

constexpr const char* kCreateSharedIndexIndex = "create index IF NOT EXISTS idx_shared_files_07 on shared_files (shared_index);";

constexpr const char* kCreateIncompletedFiles =
    "Create Table incompleted_files ([idx] int, [hash] char(32) primary key, [filename] varchar(1024), [size] bigint, [current] bigint, "
    "[id] varcahr(50), [pass] varchar(50), [shared_index] int, [path] varchar(2048), [subdownpath] varchar(1024));";

constexpr const char* kCreateDownFileInfo = "Create Table down_file_info ([hash] char(32), [start_pos] bigint, [end_pos] bigint);";
constexpr const char* kCreateDownFileInfoIndex = "CREATE INDEX [d_hash] ON down_file_info ([hash]);";

constexpr const char* kCreateIncompletedFilesFolder =
    "Create Table incompleted_files_folder \t\t\t\t\t\t([idx] int, [id] varchar(50), [folder] varchar(500), [shared_index] int, "
    "[current_dir] varchar(2048), [file] varchar(1024), [path] varchar(2048), [size] bigint, [down_path] varchar(2048), [pass] varchar(50));";
constexpr const char* kIncompletedFilesFolderIndexes[] = {
    "CREATE INDEX [i_id] ON incompleted_files_folder ([id]);",
    "CREATE INDEX [i_folder] ON incompleted_files_folder ([folder]);",
    "CREATE INDEX [i_shared_index] ON incompleted_files_folder ([shared_index]);",
};

constexpr const char* kCreatePoint = "Create Table [point] \t\t\t\t\t\t([fromid] varchar(50), [id] varchar(50), [size] int);";
constexpr const char* kCreateFavorite =
    "Create Table favorite \t\t\t\t\t\t([category] varchar(500), [id] varchar(50), [content] varchar(512));\t\t\t\t\t\t"
    "Create Index [i_favorite_category] on favorite ([category]);\t\t\t\t\t\tCreate Index [i_favorite_id] on favorite ([id]);";

// Adds [shared_index] and [path] to a seven-column download queue.
const std::initializer_list<const char*> kMigrationA = {
    "Create Temporary Table [incompleted_files_backup] \t\t\t([idx] int, [hash] char(32) primary key, [filename] varchar(1024), "
    "[size] bigint, [current] bigint, [id] varcahr(50), [pass] varchar(50) );",
    "Insert Into [incompleted_files_backup] Select * From [incompleted_files];",
    "Drop Table [incompleted_files];",
    "Create Table [incompleted_files] \t\t\t\t ([idx] int, [hash] char(32) primary key, [filename] varchar(1024), [size] bigint, "
    "[current] bigint, [id] varcahr(50), [pass] varchar(50), [shared_index] int, [path] varchar(2048));",
    "Insert Into [incompleted_files] Select [idx],[hash],[filename],[size],[current],[id],[pass],0,'' From [incompleted_files_backup];",
    "Drop Table [incompleted_files_backup];",
};

// Adds [subdownpath].
const std::initializer_list<const char*> kMigrationB = {
    "Create Temporary Table [incompleted_files_backup] \t\t\t\t ([idx] int, [hash] char(32) primary key, [filename] varchar(1024), "
    "[size] bigint, [current] bigint, [id] varcahr(50), [pass] varchar(50), [shared_index] int, [path] varchar(2048) );",
    "Insert Into [incompleted_files_backup] Select * From [incompleted_files];",
    "Drop Table [incompleted_files];",
    "Create Table [incompleted_files] \t\t\t\t ([idx] int, [hash] char(32) primary key, [filename] varchar(1024), [size] bigint, "
    "[current] bigint, [id] varcahr(50), [pass] varchar(50), [shared_index] int, [path] varchar(2048), [subdownpath] varchar(1024));",
    "Insert Into [incompleted_files] Select [idx],[hash],[filename],[size],[current],[id],[pass],[shared_index],[path],'' "
    "From [incompleted_files_backup];",
    "Drop Table [incompleted_files_backup];",
};

constexpr const char* kCreateAddrInfo = "Create Table [addr_info] ([hash] char(32), [ip] int, [port] int, [id] varchar(50) default '');";
constexpr const char* kCreateAddrInfoIndex = "CREATE INDEX [a_hash] ON [addr_info] ([hash]);";

// Adds [id] to an address table that lacks it.
const std::initializer_list<const char*> kMigrationC = {
    "Create Temporary Table [addr_info_backup] ([hash] char(32), [ip] int, [port] int);",
    "Insert Into [addr_info_backup] Select [hash],[ip],[port] From [addr_info];",
    "Drop Table [addr_info];",
    kCreateAddrInfo,
    kCreateAddrInfoIndex,
    "Insert Into [addr_info] Select [hash],[ip],[port],'' From [addr_info_backup];",
    "Drop Table [addr_info_backup];",
};

// Runs the statements in one transaction; the first failure rolls everything back.
bool run_migration(InfoDatabase& info, std::initializer_list<const char*> statements) {
  std::lock_guard guard(info.info_lock());
  if (!info.InfoExecute("begin Transaction;")) return false;
  for (const char* statement : statements) {
    if (!info.InfoExecute(statement)) {
      info.InfoExecute("rollback Transaction;");
      return false;
    }
  }
  if (info.InfoExecute("commit Transaction;")) return true;
  info.InfoExecute("rollback Transaction;");
  return false;
}

bool create_with_indexes(InfoDatabase& info, const char* table, std::initializer_list<const char*> indexes) {
  if (!info.InfoExecute(table)) return false;
  for (const char* index : indexes) info.InfoExecute(index);
  return true;
}

// Until the first hashing run measures the table, the planner would look rows up
// by their share index, which nearly every row shares. These figures (rows, rows
// per value) steer it to the selective indexes; every run replaces them.
void seed_planner_statistics(Sqlite3Connection& data) {
  try {
    data.Execute("ANALYZE sqlite_schema;");
    if (data.QueryScalar("Select count(*) From sqlite_stat1 Where tbl='shared_files'") > 0) return;
    data.Execute(
        "Insert Into sqlite_stat1 (tbl, idx, stat) Values "
        "('shared_files','idx_shared_files_01','10000 2'), ('shared_files','idx_shared_files_02','10000 2'), "
        "('shared_files','idx_shared_files_03','10000 100'), ('shared_files','idx_shared_files_04','10000 2'), "
        "('shared_files','idx_shared_files_05','10000 5000'), ('shared_files','idx_shared_files_06','10000 10000'), "
        "('shared_files','idx_shared_files_07','10000 5000');"
        "ANALYZE sqlite_schema;");
  } catch (const CppSQLite3Exception&) {
  }
}

// True when the keyword search's name index is in place.
bool create_shared_files(Sqlite3Connection& data) {
  std::lock_guard guard(database_lock());
  bool exists = false;
  try {
    exists = data.QueryScalar(base::string_printf("select count(*) from sqlite_master where type='table' and name='%s'", "shared_files")) >= 1;
  } catch (const CppSQLite3Exception&) {
  }
  try {
    if (!exists) data.Execute(kCreateSharedFiles);
  } catch (const CppSQLite3Exception&) {
  }
  try {
    data.Execute(kCreateSharedIndexIndex);
  } catch (const CppSQLite3Exception&) {
  }
  seed_planner_statistics(data);
  return CreateNameIndex(data);
}

}  // namespace

bool CreateTables(Sqlite3Connection& data, InfoDatabase& info) {
  const bool name_index = create_shared_files(data);

  if (!info.InfoTableExists("incompleted_files") && !info.InfoExecute(kCreateIncompletedFiles)) return false;
  bool migrated = true;
  if (!info.InfoColumnExists("[shared_index]", "incompleted_files") || !info.InfoColumnExists("[path]", "incompleted_files")) {
    migrated &= run_migration(info, kMigrationA);
  }
  if (!info.InfoColumnExists("[subdownpath]", "incompleted_files")) migrated &= run_migration(info, kMigrationB);

  if (!info.InfoTableExists("down_file_info") && !create_with_indexes(info, kCreateDownFileInfo, {kCreateDownFileInfoIndex})) return false;

  if (!info.InfoColumnExists("[id]", "addr_info")) {
    migrated &= info.InfoTableExists("addr_info") ? run_migration(info, kMigrationC)
                                                  : run_migration(info, {kCreateAddrInfo, kCreateAddrInfoIndex});
  }

  if (!info.InfoTableExists("incompleted_files_folder") &&
      !create_with_indexes(info, kCreateIncompletedFilesFolder,
                           {kIncompletedFilesFolderIndexes[0], kIncompletedFilesFolderIndexes[1], kIncompletedFilesFolderIndexes[2]})) {
    return false;
  }

  bool point = info.InfoTableExists("point") || info.InfoExecute(kCreatePoint);
  bool favorite = info.InfoTableExists("favorite") || info.InfoExecute(kCreateFavorite);
  return point && favorite && migrated && name_index;
}

void PurgeStaleHashVersions(Sqlite3Connection& data) {
  std::lock_guard guard(database_lock());
  data.Execute(base::string_printf("Delete From [shared_files] Where [hash_version]<>%d", kHashVersion));
}

}  // namespace dovel::db
