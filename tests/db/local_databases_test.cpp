#include "app/local_databases.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "db/database_lock.h"
#include "db_test_support.h"
#include "support/temp_folder.h"

namespace dovel::app {
namespace {

using Rows = std::vector<std::string>;

TEST(OpenLocalDatabases, CreatesBothFilesWithTheirTables) {
  dovel::test::TempFolder folder;
  LocalDatabases databases;
  EXPECT_EQ(open_local_databases(folder.path(), databases), std::nullopt);
  EXPECT_TRUE(databases.data.IsOpen());
  EXPECT_TRUE(databases.info.connection().IsOpen());

  db::test::RawDb data(folder / db::kDataFileName);
  db::test::RawDb info(folder / db::kInfoFileName);
  EXPECT_EQ(data.rows("select count(*) from sqlite_master where name = 'shared_files'"), Rows{"1"});
  EXPECT_EQ(info.rows("select count(*) from sqlite_master where type = 'table' and name not like 'sqlite_%'"), Rows{"6"});
}

TEST(OpenLocalDatabases, ExistingFilesAreMigratedAndPurged) {
  dovel::test::TempFolder folder;
  {
    LocalDatabases first;
    ASSERT_EQ(open_local_databases(folder.path(), first), std::nullopt);
    first.data.Execute("insert into shared_files (name, shared_index, hash_version) values ('old', 0, 6), ('current', 0, 7);");
  }
  LocalDatabases databases;
  EXPECT_EQ(open_local_databases(folder.path(), databases), std::nullopt);
  db::test::RawDb data(folder / db::kDataFileName);
  EXPECT_EQ(data.rows("select name from shared_files"), Rows{"current"});
}

TEST(OpenLocalDatabases, EachFileThatCannotBeOpenedHasItsOwnMessage) {
  struct Case {
    const char* blocked;  // made a folder, so the file cannot be opened
    const char* message;
  };
  const Case cases[] = {
      {db::kDataFileName, "DovelData.dat파일을 열(만들) 수 없습니다."},
      {db::kInfoFileName, "DB를 초기화하지 못했습니다. 설치된 곳의 남은 용량을 확인하세요."},
  };
  for (const Case& c : cases) {
    dovel::test::TempFolder folder;
    std::filesystem::create_directory(folder / c.blocked);
    LocalDatabases databases;
    EXPECT_EQ(open_local_databases(folder.path(), databases), std::optional<std::string>(c.message)) << c.blocked;
  }
}

TEST(OpenLocalDatabases, AFileThatIsNoDatabaseStopsTheStart) {
  const struct {
    const char* damaged;
    const char* message;
  } cases[] = {
      {db::kDataFileName, "DovelData.dat파일을 열(만들) 수 없습니다."},
      {db::kInfoFileName, "DB를 초기화하지 못했습니다. 설치된 곳의 남은 용량을 확인하세요."},
  };
  for (const auto& c : cases) {
    dovel::test::TempFolder folder;
    folder.write(c.damaged, std::string(4096, 'x'));
    LocalDatabases databases;
    EXPECT_EQ(open_local_databases(folder.path(), databases), std::optional<std::string>(c.message)) << c.damaged;
  }
}

TEST(OpenLocalDatabases, MissingFolderStopsAtTheDataFile) {
  dovel::test::TempFolder folder;
  LocalDatabases databases;
  EXPECT_EQ(open_local_databases(folder / "not-there", databases), std::optional<std::string>("DovelData.dat파일을 열(만들) 수 없습니다."));
  EXPECT_FALSE(std::filesystem::exists(folder / "not-there"));
}

}  // namespace
}  // namespace dovel::app
