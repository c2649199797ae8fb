#include "share/share_index_rows.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/local_databases.h"
#include "support/temp_folder.h"

namespace dovel::share {
namespace {

class ShareIndexRowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(app::open_local_databases(temp.path(), databases));
    for (int index = 0; index < 4; ++index) {
      databases.data.Execute("Insert Into shared_files (name, shared_index, hash_version, hash) Values ('s" + std::to_string(index) +
                             "', " + std::to_string(index) + ", 7, 'h" + std::to_string(index) + "')");
    }
  }
  // Share name -> its rows' index and hash, as the table holds them.
  std::map<std::string, std::pair<int, std::string>> rows() {
    std::map<std::string, std::pair<int, std::string>> found;
    for (auto query = databases.data.Query("Select name, shared_index, hash From shared_files"); !query.AtEnd(); query.Next()) {
      found[query.Text(0)] = {query.Int(1), query.Text(2)};
    }
    return found;
  }

  test::TempFolder temp;
  app::LocalDatabases databases;
};

TEST_F(ShareIndexRowsTest, RemovingAShareDropsItsRowsAndMovesTheLaterOnesDown) {
  ASSERT_TRUE(remove_share_rows(databases.data, 1));
  EXPECT_EQ(rows(), (std::map<std::string, std::pair<int, std::string>>{{"s0", {0, "h0"}}, {"s2", {1, "h2"}}, {"s3", {2, "h3"}}}));
  ASSERT_TRUE(remove_share_rows(databases.data, 2)) << "the last share";
  EXPECT_EQ(rows(), (std::map<std::string, std::pair<int, std::string>>{{"s0", {0, "h0"}}, {"s2", {1, "h2"}}}));
}

TEST_F(ShareIndexRowsTest, AFailureHalfWayRollsTheRemovalBack) {
  databases.data.Execute("CREATE TRIGGER fail_shift BEFORE UPDATE ON shared_files WHEN OLD.shared_index = 3 BEGIN SELECT RAISE(ABORT, 'forced'); END;");
  const auto before = rows();
  EXPECT_FALSE(remove_share_rows(databases.data, 1));
  EXPECT_EQ(rows(), before) << "the removed share's rows are back and nothing moved";
}

TEST_F(ShareIndexRowsTest, RowsBeyondTheListAreDropped) {
  ASSERT_TRUE(drop_rows_beyond(databases.data, 2));
  EXPECT_EQ(rows(), (std::map<std::string, std::pair<int, std::string>>{{"s0", {0, "h0"}}, {"s1", {1, "h1"}}}));
}

}  // namespace
}  // namespace dovel::share
