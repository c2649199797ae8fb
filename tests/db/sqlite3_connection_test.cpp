#include "db/sqlite3_connection.h"

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

class Sqlite3ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db.Open(folder / "data.db");
    db.Execute("create table t (k integer primary key, name text, size integer);");
  }

  // The names in key order, read through a fresh query.
  std::vector<std::string> names() {
    std::vector<std::string> result;
    for (Sqlite3Query query = db.Query("select name from t order by k"); !query.AtEnd(); query.Next()) {
      const char* name = query.Text(0);
      result.push_back(name != nullptr ? name : "<null>");
    }
    return result;
  }

  dovel::test::TempFolder folder;
  Sqlite3Connection db;
};

TEST_F(Sqlite3ConnectionTest, ExecuteReturnsTheChangedRows) {
  EXPECT_EQ(db.Execute("insert into t (name, size) values ('a', 1), ('b', 2), ('c', 3);"), 3);
  EXPECT_EQ(db.Execute("update t set size = size + 1 where size >= 2;"), 2);
  EXPECT_EQ(db.Execute("delete from t where name = 'nobody';"), 0);
  EXPECT_EQ(db.Execute("delete from t;"), 3);
}

TEST_F(Sqlite3ConnectionTest, QueryStartsOnTheFirstRowAndWalksToTheEnd) {
  db.Execute("insert into t (k, name, size) values (1, 'a', 10), (2, null, 20);");
  Sqlite3Query query = db.Query("select k, name, size from t order by k");
  ASSERT_FALSE(query.AtEnd());
  EXPECT_EQ(query.ColumnCount(), 3);
  EXPECT_STREQ(query.Text(1), "a");
  EXPECT_EQ(query.Int(2), 10);
  EXPECT_FALSE(query.IsNull(1));

  query.Next();
  ASSERT_FALSE(query.AtEnd());
  EXPECT_EQ(query.Text(1), nullptr);
  EXPECT_TRUE(query.IsNull(1));
  EXPECT_STREQ(query.Text(2), "20");

  query.Next();
  EXPECT_TRUE(query.AtEnd());
}

TEST_F(Sqlite3ConnectionTest, QueryWithoutRowsIsAtEndAtOnce) {
  Sqlite3Query query = db.Query("select name from t");
  EXPECT_TRUE(query.AtEnd());
  EXPECT_EQ(query.ColumnCount(), 1);
}

TEST_F(Sqlite3ConnectionTest, QueryScalarReadsTheFirstColumnAsAnInteger) {
  struct Case {
    const char* sql;
    int expected;
  };
  const Case cases[] = {
      {"select 42", 42},           {"select '17abc', 5", 17}, {"select 'abc'", 0},  {"select null", 0},
      {"select -3", -3},           {"select 2.9", 2},         {"select count(*) from t", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(db.QueryScalar(c.sql), c.expected) << c.sql;
}

TEST_F(Sqlite3ConnectionTest, QueryScalarWithoutRowsIsAnError) {
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { db.QueryScalar("select k from t"); }, kLayerError,
                                               "CPPSQLITE_ERROR[1000]: Invalid scalar query"));
}

TEST_F(Sqlite3ConnectionTest, SyntaxErrorsCarryTheEngineText) {
  const std::function<void()> actions[] = {
      [&] { db.Execute("selec 1"); },
      [&] { db.Query("selec 1"); },
      [&] { db.QueryScalar("selec 1"); },
      [&] { db.Prepare("selec 1"); },
  };
  for (const auto& action : actions) {
    EXPECT_TRUE(ThrowsError<CppSQLite3Exception>(action, SQLITE_ERROR, AllOf(StartsWith("SQLITE_ERROR[1]: "), HasSubstr("syntax error"))));
  }
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { db.Execute("select * from missing"); }, SQLITE_ERROR,
                                               "SQLITE_ERROR[1]: no such table: missing"));
}

TEST_F(Sqlite3ConnectionTest, AClosedConnectionRefusesEveryUse) {
  Sqlite3Connection never_opened;
  db.Close();
  EXPECT_FALSE(db.IsOpen());
  for (Sqlite3Connection* connection : {&never_opened, &db}) {
    const std::function<void()> actions[] = {
        [&] { connection->Execute("select 1"); },
        [&] { connection->Query("select 1"); },
        [&] { connection->QueryScalar("select 1"); },
        [&] { connection->Prepare("select 1"); },
    };
    for (const auto& action : actions) {
      EXPECT_TRUE(ThrowsError<CppSQLite3Exception>(action, kLayerError, "CPPSQLITE_ERROR[1000]: Database not open"));
    }
  }
}

TEST_F(Sqlite3ConnectionTest, CloseThenOpenAgainSeesTheFile) {
  db.Execute("insert into t (name) values ('kept');");
  db.Close();
  db.Close();
  db.Open(folder / "data.db");
  EXPECT_EQ(names(), std::vector<std::string>{"kept"});
}

TEST(Sqlite3ConnectionOpen, FailureThrowsTheSharedFilesLayerType) {
  dovel::test::TempFolder folder;
  const std::filesystem::path cases[] = {folder / "missing/data.db", folder.path()};
  for (const auto& file : cases) {
    Sqlite3Connection db;
    EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { db.Open(file); }, SQLITE_CANTOPEN, StartsWith("SQLITE_CANTOPEN[14]: "))) << file;
    EXPECT_FALSE(db.IsOpen());
  }
}

TEST_F(Sqlite3ConnectionTest, FieldIndexOutsideTheRowIsAnError) {
  db.Execute("insert into t (name, size) values ('a', 1);");
  Sqlite3Query query = db.Query("select k, name, size from t");
  ASSERT_FALSE(query.AtEnd());
  for (int column : {5, 3, -1}) {
    EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { query.Text(column); }, kLayerError,
                                                 "CPPSQLITE_ERROR[1000]: Invalid field index requested"))
        << column;
    EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { query.Int64(column); }, kLayerError,
                                                 "CPPSQLITE_ERROR[1000]: Invalid field index requested"))
        << column;
  }
  EXPECT_STREQ(query.Text(2), "1");
}

TEST_F(Sqlite3ConnectionTest, PreparedStatementRunsAgainWithNewValues) {
  Sqlite3Statement insert = db.Prepare("insert into t (name, size) values (?, ?);");
  insert.Bind(0, "first");
  insert.Bind(1, 1);
  EXPECT_EQ(insert.Execute(), 1);
  insert.Bind(0, "second");
  insert.Bind(1, int64_t{5'000'000'000});
  EXPECT_EQ(insert.Execute(), 1);

  Sqlite3Statement update = db.Prepare("update t set size = ? where size < ?;");
  update.Bind(0, 2.5);
  update.Bind(1, 100);
  EXPECT_EQ(update.Execute(), 1);

  EXPECT_EQ(names(), (std::vector<std::string>{"first", "second"}));
  Sqlite3Query sizes = db.Query("select size from t order by k");
  EXPECT_STREQ(sizes.Text(0), "2.5");
  sizes.Next();
  EXPECT_EQ(sizes.Int64(0), 5'000'000'000);
}

TEST_F(Sqlite3ConnectionTest, BindingOutsideTheParametersReportsTheEngineCode) {
  Sqlite3Statement statement = db.Prepare("select ?;");
  struct Case {
    std::function<void()> bind;
    const char* message;
  };
  const Case cases[] = {
      {[&] { statement.Bind(1, "x"); }, "SQLITE_RANGE[25]: Error binding string param"},
      {[&] { statement.Bind(5, 1); }, "SQLITE_RANGE[25]: Error binding int param"},
      {[&] { statement.Bind(-1, int64_t{1}); }, "SQLITE_RANGE[25]: Error binding int param"},
      {[&] { statement.Bind(1, 1.5); }, "SQLITE_RANGE[25]: Error binding double param"},
  };
  for (const Case& c : cases) EXPECT_TRUE(ThrowsError<CppSQLite3Exception>(c.bind, SQLITE_RANGE, c.message));
}

TEST_F(Sqlite3ConnectionTest, TextsRoundTripThroughBindAndText) {
  std::string binary;
  for (int byte = 1; byte < 256; ++byte) binary += static_cast<char>(byte);
  const std::string texts[] = {
      "it's \"quoted\" ''", binary, "공유 폴더/한글 파일.txt", "", std::string(100000, 'z'),
  };
  Sqlite3Statement insert = db.Prepare("insert into t (k, name) values (?, ?);");
  for (int k = 0; k < static_cast<int>(std::size(texts)); ++k) {
    insert.Bind(0, k);
    insert.Bind(1, texts[k]);
    insert.Execute();
  }
  Sqlite3Statement select = db.Prepare("select name from t where k = ?;");
  for (int k = 0; k < static_cast<int>(std::size(texts)); ++k) {
    select.Bind(0, k);
    Sqlite3Query query = select.Query();
    ASSERT_FALSE(query.AtEnd());
    ASSERT_NE(query.Text(0), nullptr);
    EXPECT_EQ(std::string(query.Text(0)), texts[k]) << k;
  }
}

TEST_F(Sqlite3ConnectionTest, EmptyTextsAreBoundAsTextNotNull) {
  db.Execute("insert into t (k, name) values (1, '');");
  Sqlite3Statement select = db.Prepare("select typeof(?), count(*) from t where name = ?1;");
  const std::string_view empties[] = {std::string_view(), std::string_view(""), std::string_view("abc", 0)};
  for (std::string_view empty : empties) {
    select.Bind(0, empty);
    Sqlite3Query query = select.Query();
    EXPECT_STREQ(query.Text(0), "text");
    EXPECT_STREQ(query.Text(1), "1");
  }
}

TEST_F(Sqlite3ConnectionTest, NextPastTheEndStaysAtTheEnd) {
  db.Execute("insert into t (name) values ('a');");
  Sqlite3Query query = db.Query("select name from t");
  query.Next();
  ASSERT_TRUE(query.AtEnd());
  query.Next();
  EXPECT_TRUE(query.AtEnd());

  // A statement that changes rows must not run again when its query is stepped on.
  Sqlite3Statement insert = db.Prepare("insert into t (name) values ('b');");
  Sqlite3Query inserted = insert.Query();
  EXPECT_TRUE(inserted.AtEnd());
  inserted.Next();
  inserted.Next();
  EXPECT_TRUE(inserted.AtEnd());
  inserted.Finish();
  EXPECT_EQ(names(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(Sqlite3ConnectionTest, StatementQueryLeavesTheStatementReusable) {
  db.Execute("insert into t (name, size) values ('a', 1), ('b', 2), ('c', 2);");
  Sqlite3Statement select = db.Prepare("select name from t where size = ? order by k;");

  select.Bind(0, 2);
  Sqlite3Query query = select.Query();
  ASSERT_FALSE(query.AtEnd());
  EXPECT_STREQ(query.Text(0), "b");
  // Stopped half way: Finish puts the statement back at its start.
  query.Finish();
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { query.AtEnd(); }, kLayerError, kNoVm));

  select.Bind(0, 1);
  {
    Sqlite3Query again = select.Query();
    ASSERT_FALSE(again.AtEnd());
    EXPECT_STREQ(again.Text(0), "a");
    again.Next();
    EXPECT_TRUE(again.AtEnd());
  }
  // A query that simply goes out of scope resets the statement as well.
  select.Bind(0, 2);
  {
    Sqlite3Query partial = select.Query();
    EXPECT_STREQ(partial.Text(0), "b");
  }
  Sqlite3Query last = select.Query();
  EXPECT_STREQ(last.Text(0), "b");
  last.Next();
  EXPECT_STREQ(last.Text(0), "c");
  last.Finish();
  // Nothing is left mid-run: the table can be dropped.
  EXPECT_NO_THROW(db.Execute("drop table t;"));
}

TEST_F(Sqlite3ConnectionTest, FailingStepThrowsTheEngineTextAndTheStatementStaysUsable) {
  db.Execute("insert into t (k, name) values (1, 'a');");
  Sqlite3Statement insert = db.Prepare("insert into t (k, name) values (?, 'x');");
  insert.Bind(0, 1);
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { insert.Execute(); }, SQLITE_CONSTRAINT,
                                               "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: t.k"));
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { insert.Query(); }, SQLITE_CONSTRAINT,
                                               "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: t.k"));
  insert.Bind(0, 2);
  EXPECT_EQ(insert.Execute(), 1);
  EXPECT_NO_THROW(insert.Finish());
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { insert.Execute(); }, kLayerError, kNoVm));

  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { db.Execute("insert into t (k) values (1);"); }, SQLITE_CONSTRAINT,
                                               "SQLITE_CONSTRAINT[19]: UNIQUE constraint failed: t.k"));
}

TEST_F(Sqlite3ConnectionTest, FailureInALaterRowEndsTheQuery) {
  // abs() of the smallest integer overflows only when that row is reached.
  db.Execute("insert into t (k, size) values (1, -5), (2, -9223372036854775807 - 1);");
  Sqlite3Query query = db.Query("select abs(size) from t order by k");
  EXPECT_STREQ(query.Text(0), "5");
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { query.Next(); }, SQLITE_ERROR, "SQLITE_ERROR[1]: integer overflow"));
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { query.AtEnd(); }, kLayerError, kNoVm));
  // The connection is not left inside the failed statement.
  EXPECT_EQ(db.Execute("insert into t (k) values (3);"), 1);
}

TEST_F(Sqlite3ConnectionTest, MovedQueriesKeepWorkingAndTheSourceIsEmpty) {
  db.Execute("insert into t (name) values ('a'), ('b'), ('c');");
  Sqlite3Query first = db.Query("select name from t order by k");
  Sqlite3Query moved(std::move(first));
  EXPECT_STREQ(moved.Text(0), "a");
  moved.Next();
  EXPECT_STREQ(moved.Text(0), "b");

  const std::function<void()> uses[] = {
      [&] { first.AtEnd(); }, [&] { first.Next(); }, [&] { first.Text(0); }, [&] { first.ColumnCount(); }, [&] { first.IsNull(0); },
  };
  for (const auto& use : uses) EXPECT_TRUE(ThrowsError<CppSQLite3Exception>(use, kLayerError, kNoVm));

  // Assigning over a live query ends the old one and takes the new position.
  Sqlite3Query other = db.Query("select count(*) from t");
  other = std::move(moved);
  EXPECT_STREQ(other.Text(0), "b");
  other.Next();
  EXPECT_STREQ(other.Text(0), "c");
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { moved.Next(); }, kLayerError, kNoVm));

  // A moved query made by a statement still only borrows it.
  Sqlite3Statement select = db.Prepare("select name from t order by k;");
  {
    Sqlite3Query borrowed = select.Query();
    Sqlite3Query holder(std::move(borrowed));
    EXPECT_STREQ(holder.Text(0), "a");
    holder.Next();
  }
  Sqlite3Query again = select.Query();
  EXPECT_STREQ(again.Text(0), "a");

  // Nothing is left running: the table can be dropped.
  again.Finish();
  other.Finish();
  EXPECT_NO_THROW(db.Execute("drop table t;"));
}

TEST_F(Sqlite3ConnectionTest, MovedStatementsKeepWorkingAndTheSourceIsEmpty) {
  Sqlite3Statement first = db.Prepare("insert into t (name) values (?);");
  Sqlite3Statement moved(std::move(first));
  moved.Bind(0, "a");
  EXPECT_EQ(moved.Execute(), 1);

  Sqlite3Statement assigned = db.Prepare("select 1;");
  assigned = std::move(moved);
  assigned.Bind(0, "b");
  EXPECT_EQ(assigned.Execute(), 1);
  EXPECT_EQ(names(), (std::vector<std::string>{"a", "b"}));

  for (Sqlite3Statement* empty : {&first, &moved}) {
    const std::function<void()> uses[] = {
        [&] { empty->Bind(0, "x"); }, [&] { empty->Bind(0, 1); },  [&] { empty->Bind(0, 1.0); },
        [&] { empty->Execute(); },    [&] { empty->Query(); },     [&] { empty->Reset(); },
    };
    for (const auto& use : uses) EXPECT_TRUE(ThrowsError<CppSQLite3Exception>(use, kLayerError, kNoVm));
  }
}

TEST_F(Sqlite3ConnectionTest, DefaultAndFinishedObjectsHaveNoStatement) {
  Sqlite3Query query;
  Sqlite3Statement statement;
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { query.AtEnd(); }, kLayerError, kNoVm));
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { statement.Execute(); }, kLayerError, kNoVm));
  EXPECT_NO_THROW(query.Finish());
  EXPECT_NO_THROW(statement.Finish());

  Sqlite3Query finished = db.Query("select 1, 2, 3");
  finished.Finish();
  EXPECT_NO_THROW(finished.Finish());
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { finished.Text(0); }, kLayerError, kNoVm));
}

TEST_F(Sqlite3ConnectionTest, BlankSqlHasNoStatement) {
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { db.Prepare("  -- nothing\n"); }, kLayerError, kNoVm));
  EXPECT_TRUE(ThrowsError<CppSQLite3Exception>([&] { db.Query(""); }, kLayerError, kNoVm));
}

}  // namespace
}  // namespace dovel::db
