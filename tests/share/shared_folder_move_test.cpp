#include "share/shared_folder_move.h"

#include <gtest/gtest.h>

#include <map>

#include "app/local_databases.h"
#include "support/temp_folder.h"

namespace dovel::share {
namespace {

class SharedFolderMoveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(app::open_local_databases(temp.path(), databases));
    for (int index = 0; index < 3; ++index) {
      for (int file = 0; file <= index; ++file) {
        databases.data.Execute("Insert Into shared_files (name, shared_index, hash_version) Values ('s" + std::to_string(index) + "', " +
                               std::to_string(index) + ", 7)");
      }
    }
  }
  // Share name -> its rows' indices, as the table holds them.
  std::multimap<std::string, int> indices() {
    std::multimap<std::string, int> found;
    for (auto query = databases.data.Query("Select name, shared_index From shared_files"); !query.AtEnd(); query.Next()) {
      found.emplace(query.Text(0), query.Int(1));
    }
    return found;
  }

  test::TempFolder temp;
  app::LocalDatabases databases;
  std::vector<settings::SharedFolder> rows = {{"s0", "/0", 5}, {"s1", "/1", 5}, {"s2", "/2", 5}};
};

TEST_F(SharedFolderMoveTest, MovingUpSwapsRowsAndTheirIndices) {
  MoveResult result = move_shared_folder(rows, 1, MoveDirection::Up, databases.data, false);
  EXPECT_TRUE(result.moved);
  EXPECT_EQ(rows[0].name, "s1");
  EXPECT_EQ(rows[1].name, "s0");
  EXPECT_EQ(indices(), (std::multimap<std::string, int>{{"s0", 1}, {"s1", 0}, {"s1", 0}, {"s2", 2}, {"s2", 2}, {"s2", 2}}));
}

TEST_F(SharedFolderMoveTest, MovingDownSwapsWithTheNextRow) {
  EXPECT_TRUE(move_shared_folder(rows, 1, MoveDirection::Down, databases.data, false).moved);
  EXPECT_EQ(rows[2].name, "s1");
  EXPECT_EQ(indices(), (std::multimap<std::string, int>{{"s0", 0}, {"s1", 2}, {"s1", 2}, {"s2", 1}, {"s2", 1}, {"s2", 1}}));
}

TEST_F(SharedFolderMoveTest, EdgesAndHashingRefuse) {
  const auto before = indices();
  EXPECT_FALSE(move_shared_folder(rows, 0, MoveDirection::Up, databases.data, false).moved);
  EXPECT_FALSE(move_shared_folder(rows, 2, MoveDirection::Down, databases.data, false).moved);
  EXPECT_FALSE(move_shared_folder(rows, 7, MoveDirection::Up, databases.data, false).moved);
  MoveResult hashing = move_shared_folder(rows, 1, MoveDirection::Up, databases.data, true);
  EXPECT_FALSE(hashing.moved);
  EXPECT_EQ(hashing.message, "해싱중에는 위치를 이동할 수 없습니다.");
  EXPECT_EQ(indices(), before);
  EXPECT_EQ(rows[0].name, "s0");
}

TEST_F(SharedFolderMoveTest, AFailureHalfWayRollsTheWholeSwapBack) {
  databases.data.Execute(
      "CREATE TRIGGER fail_unpark BEFORE UPDATE ON shared_files WHEN OLD.shared_index = 100000 BEGIN SELECT RAISE(ABORT, 'forced'); END;");
  const auto before = indices();
  MoveResult result = move_shared_folder(rows, 1, MoveDirection::Up, databases.data, false);
  EXPECT_FALSE(result.moved);
  EXPECT_TRUE(result.message);
  EXPECT_EQ(indices(), before) << "no row left parked at 100000";
  EXPECT_EQ(rows[0].name, "s0") << "the list keeps its order when the table does";
}

}  // namespace
}  // namespace dovel::share
