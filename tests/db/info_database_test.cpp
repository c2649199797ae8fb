#include "db/info_database.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db_test_support.h"
#include "support/temp_folder.h"

namespace dovel::db {
namespace {

using Rows = std::vector<std::string>;

// The info database and a second, independent connection to the same file:
// the second one only sees what has been committed.
class InfoDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    info.Open(folder / "info.db");
    ASSERT_TRUE(info.InfoExecute("create table t (v text);"));
  }

  Rows committed() { return other.rows("select v from t order by rowid"); }

  dovel::test::TempFolder folder;
  InfoDatabase info;
  test::RawDb other{folder / "info.db"};
};

TEST_F(InfoDatabaseTest, InfoExecuteReportsFailureWithoutThrowing) {
  EXPECT_TRUE(info.InfoExecute("insert into t values ('a');"));
  EXPECT_FALSE(info.InfoExecute("insert into missing values ('a');"));
  EXPECT_FALSE(info.InfoExecute("not sql at all"));
  EXPECT_FALSE(info.InfoExecute("commit;"));  // no transaction open
  info.Close();
  EXPECT_FALSE(info.InfoExecute("insert into t values ('b');"));
  EXPECT_EQ(committed(), Rows{"a"});
}

TEST_F(InfoDatabaseTest, SingleLevelCommitsAtItsEnd) {
  info.InfoBegin();
  EXPECT_EQ(info.nesting(), 1);
  info.InfoExecute("insert into t values ('a');");
  EXPECT_EQ(committed(), Rows{});
  info.InfoCommit();
  EXPECT_EQ(info.nesting(), 0);
  EXPECT_EQ(committed(), Rows{"a"});
}

TEST_F(InfoDatabaseTest, InnerCommitKeepsLaterWorkInsideTheTransaction) {
  info.InfoBegin();
  info.InfoBegin();
  info.InfoExecute("insert into t values ('before');");
  info.InfoCommit();
  EXPECT_EQ(info.nesting(), 1);
  // The inner level's work is written; a transaction is open again for what follows.
  EXPECT_EQ(committed(), Rows{"before"});
  info.InfoExecute("insert into t values ('after');");
  EXPECT_EQ(committed(), Rows{"before"});

  info.InfoCommit();
  EXPECT_EQ(info.nesting(), 0);
  EXPECT_EQ(committed(), (Rows{"before", "after"}));
  // Nothing is left open: a new transaction can start.
  EXPECT_TRUE(info.InfoExecute("begin; commit;"));
}

TEST_F(InfoDatabaseTest, CommitWithoutBeginDoesNothing) {
  info.InfoCommit();
  info.InfoCommit();
  EXPECT_EQ(info.nesting(), 0);

  info.InfoBegin();
  EXPECT_EQ(info.nesting(), 1);
  info.InfoExecute("insert into t values ('a');");
  EXPECT_EQ(committed(), Rows{});
  info.InfoCommit();
  EXPECT_EQ(info.nesting(), 0);
  EXPECT_EQ(committed(), Rows{"a"});
}

TEST_F(InfoDatabaseTest, TransactionObjectCommitsOnEveryWayOut) {
  auto add = [&](const char* value, bool stop_early) {
    InfoTransaction transaction(info);
    info.InfoExecute(std::string("insert into t values ('") + value + "');");
    if (stop_early) return;
    info.InfoExecute("insert into t values ('late');");
  };
  add("early", true);
  EXPECT_EQ(info.nesting(), 0);
  EXPECT_EQ(committed(), Rows{"early"});

  {
    InfoTransaction outer(info);
    add("inner", false);
    EXPECT_EQ(info.nesting(), 1);
    info.InfoExecute("insert into t values ('outer');");
    EXPECT_EQ(committed(), (Rows{"early", "inner", "late"}));
  }
  EXPECT_EQ(info.nesting(), 0);
  EXPECT_EQ(committed(), (Rows{"early", "inner", "late", "outer"}));
}

TEST_F(InfoDatabaseTest, ReopeningStartsAtNestingZero) {
  info.InfoBegin();
  info.InfoExecute("insert into t values ('lost');");
  info.Close();
  EXPECT_EQ(info.nesting(), 0);
  info.Open(folder / "info.db");
  EXPECT_EQ(info.nesting(), 0);
  EXPECT_EQ(committed(), Rows{});
}

TEST_F(InfoDatabaseTest, TableAndColumnProbes) {
  ASSERT_TRUE(info.InfoExecute("create table probe ([path] text, [size] int); insert into probe values ('p', 1);"));
  struct Case {
    const char* column;
    const char* table;
    bool exists;
  };
  const Case columns[] = {
      {"[path]", "probe", true},   {"[size]", "probe", true},       {"[subdownpath]", "probe", false},
      {"[path]", "missing", false}, {"[path]", "[probe]", true},     {"[v]", "t", true},
  };
  for (const Case& c : columns) EXPECT_EQ(info.InfoColumnExists(c.column, c.table), c.exists) << c.column << " in " << c.table;

  EXPECT_TRUE(info.InfoTableExists("probe"));
  EXPECT_TRUE(info.InfoTableExists("t"));  // empty
  EXPECT_FALSE(info.InfoTableExists("missing"));
  EXPECT_FALSE(info.InfoTableExists("[incompleted_files]"));
}

}  // namespace
}  // namespace dovel::db
