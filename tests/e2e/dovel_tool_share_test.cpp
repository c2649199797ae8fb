// dovel-tool share add/list/remove on a data home of its own.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "db/sqlite3_connection.h"
#include "dovel_tool_runner.h"
#include "support/temp_folder.h"

namespace dovel {
namespace {

class DovelToolShareTest : public ::testing::Test {
 protected:
  test::ProgramResult tool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin() + (arguments[0] == "share" ? 2 : 1), {"--home", home.path().string()});
    return test::run_dovel_tool(arguments);
  }
  std::string folder(const std::string& name) {
    std::filesystem::create_directories(home / name);
    return (home / name).string();
  }
  std::string list() { return tool({"share", "list"}).output; }
  std::string default_line() { return "0\t기본공유폴더\t" + (home / "Upload/").string() + "\t성인\n"; }

  // Share index -> the names of its rows in the shared-files table.
  std::multimap<int, std::string> rows_by_index() {
    db::Sqlite3Connection data;
    data.Open(home / "DovelData.dat");
    std::multimap<int, std::string> found;
    for (auto query = data.Query("Select shared_index, name From shared_files Where file_type=1"); !query.AtEnd(); query.Next()) {
      found.emplace(query.Int(0), query.Text(1));
    }
    return found;
  }

  test::TempFolder home;
};

TEST_F(DovelToolShareTest, AddListRemoveRoundTrip) {
  EXPECT_EQ(list(), default_line()) << "a fresh data home has the default share, as the client makes it";

  const std::string music = folder("음악");
  auto added = tool({"share", "add", "음악", music, "--adult"});
  ASSERT_EQ(added.exit_code, 0) << added.errors;
  EXPECT_EQ(added.output, "1\t음악\t" + music + "\t성인\n");

  ASSERT_EQ(tool({"set", "FolderPass", "열쇠"}).exit_code, 0);
  const std::string secret = folder("secret");
  ASSERT_EQ(tool({"share", "add", "비밀방", secret + "/", "--secret", "--adult"}).exit_code, 0);
  const std::string friends = folder("friends");
  ASSERT_EQ(tool({"share", "add", "친구방", friends, "--friend"}).exit_code, 0);
  EXPECT_EQ(list(), default_line() + "1\t음악\t" + music + "\t성인\n" + "2\t비밀방\t" + secret + "\t성인/비밀\n" + "3\t친구방\t" + friends +
                        "\t친구\n");

  auto removed = tool({"share", "remove", "음악"});
  ASSERT_EQ(removed.exit_code, 0) << removed.errors;
  EXPECT_EQ(list(), default_line() + "1\t비밀방\t" + secret + "\t성인/비밀\n" + "2\t친구방\t" + friends + "\t친구\n");
}

TEST_F(DovelToolShareTest, AddRefusesWhatTheDialogRefuses) {
  const std::string upload = (home / "Upload").string();
  const std::string spare = folder("spare");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {{"", spare}, "공유이름이 비었습니다."},
      {{"없는곳", (home / "missing").string()}, "선택한 폴더가 존재하지 않습니다."},
      {{"루트", "/"}, "윈도우 루트폴더는 사용하실수 없습니다."},
      {{"..", spare}, "공유이름으로 ..을 사용할 수 없습니다."},
      {{"a;b", spare}, "공유이름과 공유폴더에는 ';'를 쓸 수 없습니다."},
      {{"a|b", spare}, "공유이름에 쓸 수 없는 글자가 있습니다."},
      {{"둘다", spare, "--friend", "--secret"}, "친구폴더와 비밀폴더는 함께 지정할 수 없습니다."},
      {{"기본공유폴더", spare}, "같은 이름이 이미 존재합니다."},
      {{"다른이름", upload + "/"}, "같은 폴더가 이미 존재합니다."},
      {{"받은자료", (home / "Download").string()},
       "다운폴더와 공유폴더 2번째 폴더와 같습니다.\r\n\r\n다운폴더와 공유폴더는 같아서는 안됩니다. 다르게 설정해주십시요."},
      {{"비밀", spare, "--secret"}, "비밀폴더가 있습니다. 비밀폴더를 위한 암호를 설정해 주세요."},
  };
  const std::string before = list();
  for (const Case& refused : cases) {
    std::vector<std::string> arguments = {"share", "add"};
    arguments.insert(arguments.end(), refused.arguments.begin(), refused.arguments.end());
    auto result = tool(arguments);
    EXPECT_EQ(result.exit_code, 1) << refused.message;
    EXPECT_EQ(result.errors, refused.message + "\n");
    EXPECT_EQ(result.output, "");
  }
  EXPECT_EQ(list(), before) << "no refused entry was stored";
  EXPECT_EQ(tool({"share", "add", "기본공유폴더 ", spare}).exit_code, 0) << "names are compared as they are";
}

TEST_F(DovelToolShareTest, RemoveRefusesUnknownNamesAndTheLastShare) {
  auto unknown = tool({"share", "remove", "기본공유폴더X"});
  EXPECT_EQ(unknown.exit_code, 1);
  EXPECT_NE(unknown.errors.find("기본공유폴더X"), std::string::npos) << unknown.errors;

  auto last = tool({"share", "remove", "기본공유폴더"});
  EXPECT_EQ(last.exit_code, 1);
  EXPECT_EQ(last.errors, "삭제할 수 없습니다. 최소 하나이상이 설정되어야 합니다.\n");
  EXPECT_EQ(list(), default_line());
}

TEST_F(DovelToolShareTest, CommandLinesThatCannotBeRead) {
  const std::vector<std::vector<std::string>> unreadable = {
      {"share"},
      {"share", "frobnicate"},
      {"share", "add", "이름"},
      {"share", "add", "이름", "/tmp", "--bogus"},
      {"share", "add", "이름", "/tmp", "--adult", "--adult"},
      {"share", "list", "extra"},
      {"share", "remove"},
      {"share", "remove", "a", "--secret"},
      {"share", "list", "--home"},
  };
  for (const std::vector<std::string>& arguments : unreadable) {
    std::vector<std::string> argv = arguments;
    if (argv.size() >= 2 && argv.back() != "--home") argv.insert(argv.begin() + 2, {"--home", home.path().string()});
    EXPECT_EQ(test::run_dovel_tool(argv).exit_code, 2) << ::testing::PrintToString(arguments);
  }
}

TEST_F(DovelToolShareTest, RemovingAShareRenumbersTheTableAndKeepsItsHashes) {
  ASSERT_EQ(tool({"share", "add", "첫째", folder("one")}).exit_code, 0);
  ASSERT_EQ(tool({"share", "add", "둘째", folder("two")}).exit_code, 0);
  home.write("Upload/zero.txt", "0");
  home.write("one/one.txt", "1");
  home.write("two/two.txt", "2");
  home.write("two/big.avi", "");
  std::filesystem::resize_file(home / "two/big.avi", 20u << 20);
  ASSERT_EQ(tool({"index"}).output, "files=4 bytes=20971523 mib=20 hashed=1\n");
  ASSERT_EQ(rows_by_index(), (std::multimap<int, std::string>{{0, "zero"}, {1, "one"}, {2, "two"}, {2, "big"}}));

  ASSERT_EQ(tool({"share", "remove", "첫째"}).exit_code, 0);
  EXPECT_EQ(rows_by_index(), (std::multimap<int, std::string>{{0, "zero"}, {1, "two"}, {1, "big"}}));
  EXPECT_EQ(tool({"index"}).output, "files=3 bytes=20971522 mib=20 hashed=0\n") << "the moved share's large file keeps its hash";
}

TEST_F(DovelToolShareTest, ANewShareDoesNotInheritRowsLeftBeyondTheList) {
  ASSERT_EQ(tool({"db-init"}).exit_code, 0);
  {
    db::Sqlite3Connection data;
    data.Open(home / "DovelData.dat");
    data.Execute("Insert Into shared_files (name, file_type, shared_index, hash_version) Values ('stale', 1, 1, 7)");
  }
  ASSERT_EQ(tool({"share", "add", "새것", folder("new")}).exit_code, 0);
  EXPECT_EQ(rows_by_index().count(1), 0u);
}

}  // namespace
}  // namespace dovel
