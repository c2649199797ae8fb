#include "db/sqlite2_connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "db_test_support.h"
#include "support/temp_folder.h"

namespace dovel::db {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using test::ThrowsError;

constexpr const char* kNoVm = "CPPSQLITE_ERROR[1000]: Null Virtual Machine pointer";

class Sqlite2ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.Open(folder / "info.db");
    db.Execute("create table a (hash char(32), ip int, Port int, note text);");
    db.Execute("insert into a values ('h1', 10, 80, null), ('h2', 20, 81, 'second');");
  }

  dovel::test::TempFolder folder;
  Sqlite2Connection db;
};

TEST_F(Sqlite2ConnectionTest, ValuesAreTextsAndNullIsEmpty) {
  Sqlite2Query query = db.Query("select hash, ip, Port, note from a order by hash");
  ASSERT_FALSE(query.AtEnd());
  EXPECT_EQ(query.ColumnCount(), 4);
  EXPECT_EQ(query.Text(0), "h1");
  EXPECT_EQ(query.Text(1), "10");
  EXPECT_EQ(query.Text(3), "");
  EXPECT_EQ(query.Text("Port"), "80");
  EXPECT_EQ(query.Text("note"), "");
  query.Next();
  ASSERT_FALSE(query.AtEnd());
  EXPECT_EQ(query.Text("hash"), "h2");
  EXPECT_EQ(query.Text("note"), "second");
  query.Next();
  EXPECT_TRUE(query.AtEnd());
}

TEST_F(Sqlite2ConnectionTest, ColumnNamesMatchExactly) {
  Sqlite2Query query = db.Query("select hash, ip as [addr], Port from a order by hash");
  EXPECT_EQ(query.Text("addr"), "10");
  for (const char* name : {"port", "PORT", "Hash", "ip", "hash ", ""}) {
    EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { query.Text(name); }, kLayerError,
                                                "CPPSQLITE_ERROR[1000]: Invalid field name requested"))
        << '"' << name << '"';
  }
  for (int column : {3, 5, -1}) {
    EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { query.Text(column); }, kLayerError,
                                                "CPPSQLITE_ERROR[1000]: Invalid field index requested"))
        << column;
  }
}

TEST_F(Sqlite2ConnectionTest, EachRowIsACopyThatOutlivesChangesToTheTable) {
  Sqlite2Query query = db.Query("select hash, note from a where hash = 'h2'");
  const std::string& note = query.Text(1);
  // Changing the row under the open query does not change what was read.
  db.Execute("update a set note = 'changed' where hash = 'h2';");
  EXPECT_EQ(note, "second");
  EXPECT_EQ(query.Text("note"), "second");
}

TEST_F(Sqlite2ConnectionTest, TextsKeepEveryByte) {
  const std::string texts[] = {std::string("a\0b", 3), "작업 '폴더'", std::string(70000, 'q')};
  Sqlite2Statement insert = db.Prepare("insert into a (hash, note) values (?, ?);");
  for (int i = 0; i < static_cast<int>(std::size(texts)); ++i) {
    insert.Bind(0, "t" + std::to_string(i));
    insert.Bind(1, texts[i]);
    EXPECT_EQ(insert.Execute(), 1);
  }
  Sqlite2Query query = db.Query("select note from a where hash like 't%' order by hash");
  for (const std::string& text : texts) {
    ASSERT_FALSE(query.AtEnd());
    EXPECT_EQ(query.Text(0), text);
    query.Next();
  }
  EXPECT_TRUE(query.AtEnd());
}

TEST_F(Sqlite2ConnectionTest, PreparedStatementRebindsAndItsQueryDoesNotOwnIt) {
  Sqlite2Statement insert = db.Prepare("insert into a (hash, ip) values (?, ?);");
  insert.Bind(0, "h3");
  insert.Bind(1, int64_t{30});
  EXPECT_EQ(insert.Execute(), 1);
  insert.Bind(0, "h4");
  insert.Bind(1, int64_t{40});
  EXPECT_EQ(insert.Execute(), 1);

  Sqlite2Statement select = db.Prepare("select ip from a where ip >= ? order by ip;");
  select.Bind(0, int64_t{20});
  {
    Sqlite2Query query = select.Query();
    EXPECT_EQ(query.Text(0), "20");
    query.Next();
    EXPECT_EQ(query.Text(0), "30");
    query.Finish();
  }
  select.Bind(0, int64_t{35});
  Sqlite2Query again = select.Query();
  EXPECT_EQ(again.Text(0), "40");
  again.Next();
  EXPECT_TRUE(again.AtEnd());
}

TEST_F(Sqlite2ConnectionTest, NextPastTheEndStaysAtTheEnd) {
  Sqlite2Query query = db.Query("select hash from a where hash = 'h1'");
  query.Next();
  ASSERT_TRUE(query.AtEnd());
  query.Next();
  EXPECT_TRUE(query.AtEnd());

  Sqlite2Statement insert = db.Prepare("insert into a (hash) values ('h3');");
  Sqlite2Query inserted = insert.Query();
  EXPECT_TRUE(inserted.AtEnd());
  inserted.Next();
  inserted.Finish();
  Sqlite2Query count = db.Query("select count(*) from a where hash = 'h3'");
  EXPECT_EQ(count.Text(0), "1");
}

TEST_F(Sqlite2ConnectionTest, EmptyTextMatchesAnEmptyValue) {
  db.Execute("insert into a (hash, note) values ('', 'empty');");
  Sqlite2Statement select = db.Prepare("select note from a where hash = ?;");
  select.Bind(0, std::string_view());
  Sqlite2Query query = select.Query();
  ASSERT_FALSE(query.AtEnd());
  EXPECT_EQ(query.Text(0), "empty");
}

TEST_F(Sqlite2ConnectionTest, FailuresUseTheInfoLayerType) {
  Sqlite2Statement statement = db.Prepare("select ?;");
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { statement.Bind(1, "x"); }, SQLITE_RANGE,
                                              "SQLITE_RANGE[25]: Error binding string param"));
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { statement.Bind(-1, int64_t{1}); }, SQLITE_RANGE,
                                              "SQLITE_RANGE[25]: Error binding int param"));
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { db.Execute("selec 1"); }, SQLITE_ERROR,
                                              AllOf(StartsWith("SQLITE_ERROR[1]: "), HasSubstr("syntax error"))));
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { db.Query("select missing_column from a"); }, SQLITE_ERROR,
                                              "SQLITE_ERROR[1]: no such column: missing_column"));

  db.Execute("create table u (k integer primary key);");
  db.Execute("insert into u values (1);");
  Sqlite2Statement insert = db.Prepare("insert into u values (?);");
  insert.Bind(0, int64_t{1});
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { insert.Execute(); }, SQLITE_CONSTRAINT,
                                              "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: u.k"));
  insert.Bind(0, int64_t{2});
  EXPECT_EQ(insert.Execute(), 1);
}

TEST_F(Sqlite2ConnectionTest, FailureWhileSteppingEndsTheQuery) {
  db.Execute("create table n (k integer primary key, v integer);");
  db.Execute("insert into n values (1, -5), (2, -9223372036854775807 - 1);");
  Sqlite2Query query = db.Query("select abs(v) from n order by k");
  EXPECT_EQ(query.Text(0), "5");
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { query.Next(); }, SQLITE_ERROR, "SQLITE_ERROR[1]: integer overflow"));
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { query.AtEnd(); }, kLayerError, kNoVm));
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { db.Query("select abs(v) from n where k = 2"); }, SQLITE_ERROR,
                                              "SQLITE_ERROR[1]: integer overflow"));
}

TEST_F(Sqlite2ConnectionTest, MovesLeaveAnEmptySource) {
  Sqlite2Query first = db.Query("select hash from a order by hash");
  Sqlite2Query moved(std::move(first));
  EXPECT_EQ(moved.Text(0), "h1");
  Sqlite2Query assigned = db.Query("select 1");
  assigned = std::move(moved);
  EXPECT_EQ(assigned.Text("hash"), "h1");
  assigned.Next();
  EXPECT_EQ(assigned.Text("hash"), "h2");
  for (Sqlite2Query* empty : {&first, &moved}) {
    EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { empty->AtEnd(); }, kLayerError, kNoVm));
    EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { empty->Text(0); }, kLayerError, kNoVm));
    EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { empty->Text("hash"); }, kLayerError, kNoVm));
  }

  Sqlite2Statement statement = db.Prepare("delete from a where hash = ?;");
  Sqlite2Statement moved_statement(std::move(statement));
  moved_statement.Bind(0, "h1");
  EXPECT_EQ(moved_statement.Execute(), 1);
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { statement.Bind(0, "h2"); }, kLayerError, kNoVm));
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { statement.Execute(); }, kLayerError, kNoVm));
  moved_statement.Finish();
  EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { moved_statement.Query(); }, kLayerError, kNoVm));
}

TEST(Sqlite2ConnectionOpen, FailureIsCantOpen) {
  dovel::test::TempFolder folder;
  const std::filesystem::path cases[] = {folder / "missing/info.db", folder.path()};
  for (const auto& file : cases) {
    Sqlite2Connection db;
    EXPECT_TRUE(ThrowsError<CppSQLiteException>([&] { db.Open(file); }, SQLITE_CANTOPEN, StartsWith("SQLITE_CANTOPEN[14]: "))) << file;
    EXPECT_FALSE(db.IsOpen());
  }
}

TEST(Sqlite2ConnectionOpen, ClosedConnectionRefusesEveryUse) {
  dovel::test::TempFolder folder;
  Sqlite2Connection never_opened;
  Sqlite2Connection closed;
  closed.Open(folder / "info.db");
  closed.Close();
  for (Sqlite2Connection* db : {&never_opened, &closed}) {
    const std::function<void()> actions[] = {
        [&] { db->Execute("select 1"); },
        [&] { db->Query("select 1"); },
        [&] { db->Prepare("select 1"); },
    };
    for (const auto& action : actions) {
      EXPECT_TRUE(ThrowsError<CppSQLiteException>(action, kLayerError, "CPPSQLITE_ERROR[1000]: Database not open"));
    }
  }
}

}  // namespace
}  // namespace dovel::db
