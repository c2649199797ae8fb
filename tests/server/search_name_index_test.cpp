// The keyword search reads its candidates from the name index; these tests hold
// it to exactly the rows a plain LIKE scan of the table gives.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <random>
#include <variant>

#include "app/local_databases.h"
#include "db/database_lock.h"
#include "db/name_index.h"
#include "db/schema.h"
#include "server/search_query.h"
#include "server/search_terms.h"
#include "support/temp_folder.h"

namespace dovel::server {
namespace {

// Pieces names and words are made of: ASCII letters in both cases, LIKE's
// wildcards and escape, quotes, Hangul (똠 and 햏 included).
const std::vector<std::string> kPieces = {"a", "A", "b", "B", "z", "%", "_", "\\", "\"", "'", " ", ".", "1", "가", "각", "나", "똠", "햏"};
// What only a damaged name can hold; LIKE reads each as some character too.
const std::vector<std::string> kBrokenPieces = {"\xC0\x80", "\xF0\x8A\xB0\x80", "\xED\xA0\x80", "\xFF", "\x80", "\xEF\xBF\xBD"};

class SearchNameIndexTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(app::open_local_databases(temp.path(), databases)); }

  std::string random_text(size_t most, bool broken) {
    std::string text;
    const size_t length = random() % (most + 1);
    for (size_t i = 0; i < length; ++i) {
      text += broken && random() % 6 == 0 ? kBrokenPieces[random() % kBrokenPieces.size()] : kPieces[random() % kPieces.size()];
    }
    return text;
  }

  void insert_random_rows(int count) {
    std::lock_guard guard(db::database_lock());
    databases.data.Execute("begin transaction;");
    db::Sqlite3Statement insert =
        databases.data.Prepare("Insert Into shared_files (name,extention,right,shared_index,hash_version) Values (?,?,0,0,7)");
    for (int i = 0; i < count; ++i) {
      insert.Bind(0, random_text(8, i % 5 == 0));
      insert.Bind(1, random() % 3 == 0 ? "" : kPieces[random() % 3]);
      insert.Execute();
    }
    insert.Finish();
    databases.data.Execute("commit transaction;");
  }

  static std::vector<int64_t> ids(db::Sqlite3Statement statement, const std::vector<std::variant<std::string, int64_t>>& parameters) {
    for (size_t i = 0; i < parameters.size(); ++i) {
      std::visit([&](const auto& value) { statement.Bind(static_cast<int>(i), value); }, parameters[i]);
    }
    std::vector<int64_t> found;
    for (db::Sqlite3Query rows = statement.Query(); !rows.AtEnd(); rows.Next()) found.push_back(rows.Int64(0));
    return found;
  }

  // Row ids the search finds, in its order.
  // Row ids a search finds, in row id order.
  static std::vector<int64_t> searched(db::Sqlite3Connection& data, SearchTermPlanner& planner, const wire::SearchQuery& query) {
    std::lock_guard guard(db::database_lock());
    const int64_t up_to = db::NameIndexIndexedUpTo(data);
    std::vector<int64_t> found;
    for (SearchStatement& statement : build_search_statements(query, {0}, planner.match(data, up_to, query.words, query.extension).value(), up_to)) {
      statement.sql.replace(0, statement.sql.find(" From "), "Select [shared_files].[idx]");
      for (int64_t id : ids(data.Prepare(statement.sql), statement.parameters)) found.push_back(id);
    }
    std::sort(found.begin(), found.end());
    return found;
  }

  // Lets the full-text table take in `count` of the pairs it lacks; the rest stay
  // for the search to read directly.
  void take_in(int64_t count) {
    std::lock_guard guard(db::database_lock());
    db::CatchUpNameIndex(databases.data, count);
  }

  int64_t pairs() {
    std::lock_guard guard(db::database_lock());
    return databases.data.QueryScalar("Select count(*) From shared_names");
  }

  // Row ids a scan of the whole table with the same LIKE tests finds.
  std::vector<int64_t> scanned(const wire::SearchQuery& query) {
    std::string sql = "Select idx From shared_files Where 1";
    std::vector<std::variant<std::string, int64_t>> parameters;
    for (const std::string& word : query.words) {
      std::string pattern = "%";
      for (char c : word) pattern += (c == '%' || c == '_' || c == '\\') ? std::string("\\") + c : std::string(1, c);
      sql += " And name Like ? Escape '\\'";
      parameters.emplace_back(pattern + "%");
    }
    if (query.extension) {
      sql += " And extention=?";
      parameters.emplace_back(*query.extension);
    }
    std::lock_guard guard(db::database_lock());
    return ids(databases.data.Prepare(sql + " Order By idx"), parameters);
  }

  void expect_search_equals_scan(int queries) {
    int matched = 0;
    for (int i = 0; i < queries; ++i) {
      wire::SearchQuery query;
      const size_t words = 1 + random() % 3;
      for (size_t w = 0; w < words; ++w) {
        std::string word = random_text(3, false);
        query.words.push_back(word.empty() ? "a" : word);
      }
      if (random() % 3 == 0) query.extension = random() % 4 == 0 ? "" : kPieces[random() % 3];
      const std::vector<int64_t> expected = scanned(query);
      matched += expected.empty() ? 0 : 1;
      ASSERT_EQ(searched(databases.data, planner, query), expected) << ::testing::PrintToString(query.words);
    }
    EXPECT_GT(matched, queries / 4) << "too few queries found anything to tell a difference";
  }

  test::TempFolder temp;
  app::LocalDatabases databases;
  SearchTermPlanner planner;
  std::mt19937 random{20240607};
};

TEST_F(SearchNameIndexTest, FindsExactlyWhatLikeFinds) {
  insert_random_rows(3000);
  take_in(pairs() / 2);  // half through the full-text table, half read directly
  expect_search_equals_scan(600);
}

TEST_F(SearchNameIndexTest, StaysInStepWithRenamesAndDeletes) {
  insert_random_rows(2000);
  take_in(1000000);
  {
    std::lock_guard guard(db::database_lock());
    db::Sqlite3Statement rename = databases.data.Prepare("Update shared_files Set name=? Where idx=?");
    db::Sqlite3Statement extension = databases.data.Prepare("Update shared_files Set extention=? Where idx=?");
    for (int64_t id = 1; id <= 2000; id += 3) {
      rename.Bind(0, random_text(8, false));
      rename.Bind(1, id);
      rename.Execute();
      extension.Bind(0, kPieces[random() % 3]);
      extension.Bind(1, id + 1);
      extension.Execute();
    }
    rename.Finish();
    extension.Finish();
    databases.data.Execute("Delete From shared_files Where idx % 3 = 0");
    // Other columns change without touching the index.
    databases.data.Execute("Update shared_files Set right=1, uniq_id=5");
  }
  insert_random_rows(500);
  take_in(300);
  expect_search_equals_scan(300);

  // Once most pairs have no row, the next start takes them out.
  {
    std::lock_guard guard(db::database_lock());
    databases.data.Execute("Delete From shared_files Where idx % 4 <> 0");
  }
  const int64_t before = pairs();
  ASSERT_TRUE(db::CreateTables(databases.data, databases.info));
  {
    std::lock_guard guard(db::database_lock());
    EXPECT_EQ(databases.data.QueryScalar("Select count(*) From shared_names Where Not Exists (Select 1 From shared_files Where "
                                         "shared_files.name=shared_names.name And shared_files.extention Is shared_names.extension)"),
              0);
  }
  EXPECT_LT(pairs(), before);
  expect_search_equals_scan(300);
}

TEST_F(SearchNameIndexTest, AnExistingFileGetsTheIndexFilledFromItsRows) {
  test::TempFolder older;
  {
    db::Sqlite3Connection connection;
    connection.Open(older / "DovelData.dat");
    connection.Execute(
        "create table shared_files (idx integer primary key autoincrement, hash char(32), name varchar(255), extention varchar(255), "
        "file_type integer, size integer, hashed_size integer, last_write_time integer, path text, down_requested integer, "
        "search_requested integer, level integer, right integer, shared_name varchar(255), shared_index integer not null, "
        "hash_version integer, uniq_id integer);"
        "insert into shared_files (name, extention, right, shared_index, hash_version) values "
        "('오래된 노래', 'mp3', 0, 0, 7), ('old song', 'mp3', 0, 0, 7), ('other', 'txt', 0, 0, 7), ('오래된 노래', 'wav', 0, 0, 7);");
  }
  app::LocalDatabases opened;
  ASSERT_FALSE(app::open_local_databases(older.path(), opened));
  {
    std::lock_guard guard(db::database_lock());
    EXPECT_EQ(db::NameIndexIndexedUpTo(opened.data), 4) << "every pair is in the full-text table";
  }
  wire::SearchQuery query;
  query.words = {"노래"};
  query.extension = "mp3";
  SearchTermPlanner older_planner;
  EXPECT_EQ(searched(opened.data, older_planner, query), (std::vector<int64_t>{1}));
}

}  // namespace
}  // namespace dovel::server
