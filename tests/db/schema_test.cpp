#include "db/schema.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/database_lock.h"
#include "db_test_support.h"
#include "support/temp_folder.h"

namespace dovel::db {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Rows = std::vector<std::string>;

constexpr const char* kOldSevenColumns =
    "Create Table incompleted_files ([idx] int, [hash] char(32) primary key, [filename] varchar(1024), [size] bigint, "
    "[current] bigint, [id] varcahr(50), [pass] varchar(50));";
constexpr const char* kOldNineColumns =
    "Create Table incompleted_files ([idx] int, [hash] char(32) primary key, [filename] varchar(1024), [size] bigint, "
    "[current] bigint, [id] varcahr(50), [pass] varchar(50), [shared_index] int, [path] varchar(2048));";
constexpr const char* kTenColumns[] = {"idx", "hash", "filename", "size", "current", "id", "pass", "shared_index", "path", "subdownpath"};

// Both database files in a temporary folder. Fixture contents are written with
// a plain connection before the layer opens the files.
class SchemaTest : public ::testing::Test {
 protected:
  std::filesystem::path data_file() const { return folder / kDataFileName; }
  std::filesystem::path info_file() const { return folder / kInfoFileName; }

  void open() {
    data.Open(data_file());
    info.Open(info_file());
  }
  bool create() {
    if (!data.IsOpen()) open();
    return CreateTables(data, info);
  }

  // Named tables and indexes (the engine's own left out) as "type name on table".
  static Rows objects(test::RawDb& db) {
    return db.rows("select type || ' ' || name || ' on ' || tbl_name from sqlite_master where name not like 'sqlite_%' order by 1");
  }
  static Rows columns(test::RawDb& db, const std::string& table) { return db.rows("select name from pragma_table_info('" + table + "')"); }

  // The schema and every row of every table, for before/after comparisons.
  static Rows dump(test::RawDb& db) {
    Rows result = db.rows("select type, name, tbl_name, sql from sqlite_master order by type, name");
    for (const std::string& table : db.rows("select name from sqlite_master where type = 'table' order by name")) {
      for (const std::string& row : db.rows("select * from [" + table + "] order by rowid")) result.push_back(table + ": " + row);
    }
    return result;
  }

  // Temporary tables left on the info connection itself.
  int temporary_tables() {
    Sqlite2Query query = info.connection().Query("select count(*) from sqlite_temp_master");
    return std::stoi(query.Text(0));
  }

  dovel::test::TempFolder folder;
  Sqlite3Connection data;
  InfoDatabase info;
};

TEST_F(SchemaTest, FreshFilesGetEveryTableAndIndex) {
  ASSERT_TRUE(create());
  test::RawDb raw_info(info_file());
  EXPECT_THAT(objects(raw_info), ElementsAre("index a_hash on addr_info", "index d_hash on down_file_info",
                                             "index i_favorite_category on favorite", "index i_favorite_id on favorite",
                                             "index i_folder on incompleted_files_folder", "index i_id on incompleted_files_folder",
                                             "index i_shared_index on incompleted_files_folder", "table addr_info on addr_info",
                                             "table down_file_info on down_file_info", "table favorite on favorite",
                                             "table incompleted_files on incompleted_files",
                                             "table incompleted_files_folder on incompleted_files_folder", "table point on point"));
  EXPECT_EQ(columns(raw_info, "incompleted_files"), Rows(std::begin(kTenColumns), std::end(kTenColumns)));
  EXPECT_EQ(columns(raw_info, "addr_info"), (Rows{"hash", "ip", "port", "id"}));
  EXPECT_EQ(columns(raw_info, "incompleted_files_folder"),
            (Rows{"idx", "id", "folder", "shared_index", "current_dir", "file", "path", "size", "down_path", "pass"}));

  test::RawDb raw_data(data_file());
  EXPECT_THAT(objects(raw_data),
              ElementsAre("index idx_shared_files_01 on shared_files", "index idx_shared_files_02 on shared_files",
                          "index idx_shared_files_03 on shared_files", "index idx_shared_files_04 on shared_files",
                          "index idx_shared_files_05 on shared_files", "index idx_shared_files_06 on shared_files",
                          "index idx_shared_files_07 on shared_files", "index shared_names_pair on shared_names",
                          "table shared_files on shared_files", "table shared_names on shared_names",
                          "table shared_names_grams on shared_names_grams", "table shared_names_grams_config on shared_names_grams_config",
                          "table shared_names_grams_data on shared_names_grams_data", "table shared_names_grams_idx on shared_names_grams_idx",
                          "table shared_names_indexed on shared_names_indexed", "trigger shared_names_insert on shared_files",
                          "trigger shared_names_update on shared_files"));
  EXPECT_EQ(columns(raw_data, "shared_files").size(), 17u);

  // The tables take the rows the program writes.
  EXPECT_EQ(raw_info.exec("insert into addr_info (hash, ip, port) values ('h', 1, 2);"), "");
  EXPECT_EQ(raw_info.rows("select id from addr_info"), Rows{""});
  EXPECT_EQ(raw_info.exec("insert into incompleted_files (hash) values ('h'); insert into incompleted_files (hash) values ('h');"),
            "UNIQUE constraint failed: incompleted_files.hash");
  EXPECT_EQ(raw_data.exec("insert into shared_files (shared_index, hash_version) values (0, 7);"), "");
  EXPECT_EQ(raw_data.exec("insert into shared_files (hash_version) values (7);"), "NOT NULL constraint failed: shared_files.shared_index");
}

TEST_F(SchemaTest, SecondRunChangesNothing) {
  ASSERT_TRUE(create());
  test::RawDb raw_info(info_file());
  test::RawDb raw_data(data_file());
  ASSERT_EQ(raw_info.exec("insert into incompleted_files values (1, 'h', 'f', 10, 5, 'id', 'pw', 2, '/p', 'sub');"
                          "insert into addr_info values ('h', 1, 2, 'peer');"
                          "insert into favorite values ('c', 'id', 'x');"),
            "");
  ASSERT_EQ(raw_data.exec("insert into shared_files (hash, name, shared_index, hash_version) values ('h', 'n', 0, 7);"), "");
  Rows info_before = dump(raw_info);
  Rows data_before = dump(raw_data);

  EXPECT_TRUE(create());
  EXPECT_EQ(dump(raw_info), info_before);
  EXPECT_EQ(dump(raw_data), data_before);
  EXPECT_EQ(temporary_tables(), 0);
}

TEST_F(SchemaTest, SevenColumnQueueGainsTheNewColumnsAndKeepsItsRows) {
  {
    test::RawDb old(info_file());
    ASSERT_EQ(old.exec(kOldSevenColumns), "");
    ASSERT_EQ(old.exec("insert into incompleted_files values (1, 'aaaa', '영화.avi', 700, 350, 'peer', 'pw');"
                       "insert into incompleted_files values (2, 'bbbb', 'it''s.txt', 10, 0, null, '');"),
              "");
  }
  EXPECT_TRUE(create());

  test::RawDb raw(info_file());
  EXPECT_EQ(columns(raw, "incompleted_files"), Rows(std::begin(kTenColumns), std::end(kTenColumns)));
  EXPECT_EQ(raw.rows("select * from incompleted_files order by idx"),
            (Rows{"1|aaaa|영화.avi|700|350|peer|pw|0||", "2|bbbb|it's.txt|10|0|<null>||0||"}));
  EXPECT_EQ(raw.rows("select typeof(shared_index), typeof(path), typeof(subdownpath) from incompleted_files where idx = 1"),
            Rows{"integer|text|text"});
  EXPECT_EQ(raw.exec("insert into incompleted_files (hash) values ('aaaa');"), "UNIQUE constraint failed: incompleted_files.hash");
  EXPECT_EQ(temporary_tables(), 0);
}

TEST_F(SchemaTest, NineColumnQueueGainsSubfolderAndKeepsItsValues) {
  {
    test::RawDb old(info_file());
    ASSERT_EQ(old.exec(kOldNineColumns), "");
    ASSERT_EQ(old.exec("insert into incompleted_files values (1, 'aaaa', 'a.bin', 700, 350, 'peer', 'pw', 3, '/받은 파일');"
                       "insert into incompleted_files values (2, 'bbbb', 'b.bin', 10, 0, 'x', '', 0, '');"),
              "");
  }
  EXPECT_TRUE(create());

  test::RawDb raw(info_file());
  EXPECT_EQ(columns(raw, "incompleted_files"), Rows(std::begin(kTenColumns), std::end(kTenColumns)));
  EXPECT_EQ(raw.rows("select * from incompleted_files order by idx"),
            (Rows{"1|aaaa|a.bin|700|350|peer|pw|3|/받은 파일|", "2|bbbb|b.bin|10|0|x||0||"}));
}

TEST_F(SchemaTest, FailedMigrationKeepsTheQueueAsItWas) {
  // A queue without the primary key holding one hash twice: copying it into the
  // backup table, which has the key, fails half way through the migration.
  {
    test::RawDb old(info_file());
    ASSERT_EQ(old.exec("Create Table incompleted_files ([idx] int, [hash] char(32), [filename] varchar(1024), [size] bigint, "
                       "[current] bigint, [id] varcahr(50), [pass] varchar(50));"
                       "insert into incompleted_files values (1, 'same', 'one', 1, 0, 'a', '');"
                       "insert into incompleted_files values (2, 'same', 'two', 2, 0, 'b', '');"
                       "insert into incompleted_files values (3, 'other', 'three', 3, 0, 'c', '');"),
              "");
  }
  test::RawDb raw(info_file());
  Rows before = raw.rows("select * from incompleted_files order by idx");

  EXPECT_FALSE(create());

  EXPECT_EQ(raw.rows("select * from incompleted_files order by idx"), before);
  EXPECT_EQ(columns(raw, "incompleted_files").size(), 7u);
  EXPECT_EQ(raw.rows("select name from sqlite_master where name like '%backup%'"), Rows{});
  EXPECT_EQ(temporary_tables(), 0);
  // No transaction was left open on the info connection: others can write.
  EXPECT_EQ(info.nesting(), 0);
  EXPECT_TRUE(info.InfoExecute("begin; commit;"));
  EXPECT_EQ(raw.exec("insert into incompleted_files (idx, hash) values (4, 'new');"), "");
}

TEST_F(SchemaTest, AddressTableWithoutIdGainsItAndKeepsItsRows) {
  {
    test::RawDb old(info_file());
    ASSERT_EQ(old.exec("Create Table [addr_info] ([hash] char(32), [ip] int, [port] int);"
                       "CREATE INDEX [a_hash] ON [addr_info] ([hash]);"
                       "insert into addr_info values ('h1', 16777343, 4000), ('h1', 33554442, 4001), ('h2', 1, 2);"),
              "");
  }
  EXPECT_TRUE(create());

  test::RawDb raw(info_file());
  EXPECT_EQ(columns(raw, "addr_info"), (Rows{"hash", "ip", "port", "id"}));
  EXPECT_EQ(raw.rows("select * from addr_info order by rowid"), (Rows{"h1|16777343|4000|", "h1|33554442|4001|", "h2|1|2|"}));
  EXPECT_EQ(raw.rows("select name from sqlite_master where type = 'index' and tbl_name = 'addr_info' and name not like 'sqlite_%'"),
            Rows{"a_hash"});
  EXPECT_EQ(temporary_tables(), 0);
}

TEST_F(SchemaTest, OldDataFileGetsTheSharedIndexIndex) {
  {
    // The shared-files table as the previous version made it, without index 07.
    test::RawDb old(data_file());
    ASSERT_EQ(old.exec("create table shared_files (idx integer primary key autoincrement, hash char(32), name varchar(255), "
                       "extention varchar(255), file_type integer, size integer, hashed_size integer, last_write_time integer, "
                       "path text, down_requested integer, search_requested integer, level integer, right integer, "
                       "shared_name varchar(255), shared_index integer not null, hash_version integer, uniq_id integer);"
                       "create index idx_shared_files_01 on shared_files (hash);"
                       "insert into shared_files (hash, name, shared_index, hash_version) values ('h', 'n', 2, 7);"),
              "");
  }
  EXPECT_TRUE(create());

  test::RawDb raw(data_file());
  EXPECT_EQ(raw.rows("select sql from sqlite_master where name = 'idx_shared_files_07'"),
            Rows{"CREATE INDEX idx_shared_files_07 on shared_files (shared_index)"});
  EXPECT_EQ(raw.rows("select hash, name, shared_index from shared_files"), Rows{"h|n|2"});
}

TEST_F(SchemaTest, PurgeKeepsOnlyTheCurrentHashVersion) {
  ASSERT_TRUE(create());
  test::RawDb raw(data_file());
  ASSERT_EQ(raw.exec("insert into shared_files (name, shared_index, hash_version) values "
                     "('current', 0, 7), ('older', 0, 6), ('newer', 0, 8), ('zero', 0, 0), ('also current', 1, 7);"),
            "");
  PurgeStaleHashVersions(data);
  EXPECT_EQ(raw.rows("select name from shared_files order by idx"), (Rows{"current", "also current"}));
}

}  // namespace
}  // namespace dovel::db
