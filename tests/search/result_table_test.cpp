#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "search/result_filter.h"
#include "search/result_table.h"
#include "search/result_tabs.h"
#include "search/search_doubles.h"
#include "settings/shared_folder.h"

namespace dovel::search {
namespace {

constexpr const char* kHash = "00112233445566778899aabbccddeeff";
constexpr const char* kOtherHash = "ffeeddccbbaa99887766554433221100";

FoundAt at(const char* id, uint16_t port, uint32_t response_ms) { return {id, {0x0100007F, port}, response_ms}; }

wire::ResultRecord file(std::string name, std::string hash, int64_t size = 700, uint32_t right = settings::SHARE_READ) {
  return {std::move(name), size, std::move(hash), 1, right, "", -1};
}

wire::ResultRecord unhashed(std::string name, std::string path = "a", settings::ShareIndex index = 0) {
  return {std::move(name), 10, "", 1, settings::SHARE_READ, std::move(path), index};
}

class ResultTableTest : public ::testing::Test {
 protected:
  ResultRules rules() const { return {adult, transfer_flag, &lists}; }
  // As a search inserts: the rules first, then the table.
  bool insert(const wire::ResultRecord& record, const FoundAt& found) {
    std::optional<std::string> name = shown_name(record, rules());
    return name && table.insert(record, *name, found);
  }

  test::ListedContent lists;
  bool adult = false;
  bool transfer_flag = false;
  ResultTable table;
};

TEST_F(ResultTableTest, SourcesOfOneHashShareARowWithTheFastestResponse) {
  EXPECT_TRUE(insert(file("movie.avi", kHash), at("bob", 9910, 300)));
  EXPECT_TRUE(insert(file("same movie.avi", kHash), at("carol", 9920, 120)));
  EXPECT_TRUE(insert(file("other.avi", kOtherHash), at("carol", 9920, 50)));
  ASSERT_EQ(table.rows().size(), 2u);
  const ResultRow& row = table.rows()[0];
  EXPECT_EQ(row.name, "movie.avi") << "the first record names the row";
  EXPECT_EQ(row.hash, kHash);
  EXPECT_EQ(row.fastest_ms, 120u);
  ASSERT_EQ(row.sources.size(), 2u);
  EXPECT_EQ(row.sources[0].responder_id, "bob");
  EXPECT_EQ(row.sources[1].name, "same movie.avi") << "each source keeps its own name for the file";
  EXPECT_EQ(row.sources[1].server.port, 9920);
}

TEST_F(ResultTableTest, AServerAnsweringTwiceStaysOneSource) {
  EXPECT_TRUE(insert(file("movie.avi", kHash), at("bob", 9910, 300)));
  EXPECT_FALSE(insert(file("movie.avi", kHash), at("bob", 9910, 400))) << "a slower repeat changes nothing";
  EXPECT_TRUE(insert(file("movie.avi", kHash), at("bob", 9910, 90)));
  ASSERT_EQ(table.rows().size(), 1u);
  EXPECT_EQ(table.rows()[0].sources.size(), 1u);
  EXPECT_EQ(table.rows()[0].fastest_ms, 90u);
}

TEST_F(ResultTableTest, RecordsWithoutHashMakeRowsOfTheirOwn) {
  EXPECT_TRUE(insert(unhashed("notes.txt"), at("bob", 9910, 10)));
  EXPECT_TRUE(insert(unhashed("notes.txt"), at("carol", 9920, 10)));
  EXPECT_TRUE(insert(unhashed("notes.txt", "b"), at("bob", 9910, 10))) << "another folder of the same server";
  EXPECT_FALSE(insert(unhashed("notes.txt"), at("bob", 9910, 20))) << "the same answer again";
  ASSERT_EQ(table.rows().size(), 3u);
  for (const ResultRow& row : table.rows()) EXPECT_EQ(row.sources.size(), 1u);
  EXPECT_EQ(table.rows()[2].sources[0].path, "b");
}

TEST_F(ResultTableTest, AdultSharesAreHiddenFromUsersWhoAreNotAdult) {
  const wire::ResultRecord adult_file = file("night.avi", kHash, 700, settings::SHARE_READ | settings::SHARE_ADULT);
  transfer_flag = true;
  EXPECT_FALSE(insert(adult_file, at("bob", 9910, 10))) << "the transfer flag does not lift it";
  adult = true;
  EXPECT_TRUE(insert(adult_file, at("bob", 9910, 10)));
}

TEST_F(ResultTableTest, ContentListsDropAndMaskUnlessTheTransferFlagIsSet) {
  lists.forbidden_names = {"leak"};
  lists.forbidden_extensions = {"exe"};
  lists.restricted_files = {"secret"};
  lists.restricted_folders = {"private"};
  lists.forbidden_hashes = {kOtherHash};
  lists.masked_words = {"bad"};
  const std::vector<std::pair<const char*, wire::ResultRecord>> dropped = {
      {"forbidden name", file("the leak.avi", "")},
      {"forbidden extension, any case", file("setup.EXE", "")},
      {"restricted file name", file("secret plans.avi", "")},
      {"restricted folder name", {"private stuff", 0, "", 0, 1, "", 0}},
      {"forbidden file", file("fine.avi", kOtherHash)},
  };
  for (const auto& [what, record] : dropped) EXPECT_FALSE(insert(record, at("bob", 9910, 10))) << what;
  EXPECT_TRUE(insert(file("plans.secret", ""), at("bob", 9910, 10))) << "only the name without its extension is restricted";
  EXPECT_TRUE(insert({"secret", 0, "", 0, 1, "", 0}, at("bob", 9910, 10))) << "a folder is not a restricted file name";
  EXPECT_TRUE(insert(file("bad movie.avi", kHash), at("bob", 9910, 10)));
  EXPECT_EQ(table.rows().back().name, "### movie.avi");
  EXPECT_EQ(table.rows().back().sources[0].name, "bad movie.avi");

  table.clear();
  transfer_flag = true;
  for (const auto& [what, record] : dropped) EXPECT_TRUE(insert(record, at("bob", 9910, 10))) << what;
  EXPECT_TRUE(insert(file("bad movie.avi", kHash), at("bob", 9910, 10)));
  EXPECT_EQ(table.rows().back().name, "bad movie.avi");
}

TEST_F(ResultTableTest, PeersCannotGrowTheTableWithoutBound) {
  for (size_t i = 0; i <= ResultTable::kMaxSourcesPerRow; ++i) insert(file("movie.avi", kHash), at("peer", static_cast<uint16_t>(i + 1), 10));
  EXPECT_EQ(table.rows()[0].sources.size(), ResultTable::kMaxSourcesPerRow);
  for (size_t i = 0; i <= ResultTable::kMaxRows; ++i) insert(unhashed("f" + std::to_string(i)), at("peer", 1, 10));
  EXPECT_EQ(table.rows().size(), ResultTable::kMaxRows);
}

// Rows named after their place in arrival, for reading orders.
ResultRow row(std::string name, int64_t size, size_t sources, uint32_t fastest_ms, std::string hash = kHash) {
  ResultRow made{std::move(name), size, std::move(hash), 1, fastest_ms, {}};
  made.sources.resize(sources);
  return made;
}

std::string names(const std::vector<ResultRow>& rows) {
  std::string all;
  for (const ResultRow& row : rows) all += row.name;
  return all;
}

struct SortCase {
  SortOrder order;
  const char* expected;
};

void PrintTo(const SortCase& sort, std::ostream* out) { *out << "rows " << sort.expected; }

class ResultSortTable : public ::testing::TestWithParam<SortCase> {};

std::string sort_case_name(const ::testing::TestParamInfo<SortCase>& info) {
  static const char* const kColumns[] = {"Name", "Size", "Sources", "ResponseTime", "FileHash"};
  const SortOrder& order = info.param.order;
  return std::string(kColumns[static_cast<int>(order.column)]) + (order.reversed ? "Reversed" : "FirstDirection");
}

TEST_P(ResultSortTable, OrdersRowsWithTheirTies) {
  std::vector<ResultRow> rows = {
      row("a", 100, 1, 50, "cc"),  //
      row("b", 300, 2, 70, "aa"),  //
      row("c", 100, 3, 20, ""),    // no hash
      row("d", 300, 2, 10, "bb"),  //
      row("e", 0, 1, 70, "dd"),    // size 0
      row("f", 200, 3, 50, "ee"),  //
  };
  sort_rows(rows, GetParam().order);
  EXPECT_EQ(names(rows), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ResultSortTable,
    ::testing::Values(
        // Equal sizes: the faster first, in either direction.
        SortCase{{SortColumn::Size, false}, "dbfcae"}, SortCase{{SortColumn::Size, true}, "ecafdb"},
        // Equal numbers of sources: the faster first, in either direction.
        SortCase{{SortColumn::Sources, false}, "cfdbae"}, SortCase{{SortColumn::Sources, true}, "aedbcf"},
        // Equal response times: more sources first, in either direction.
        SortCase{{SortColumn::ResponseTime, false}, "befacd"}, SortCase{{SortColumn::ResponseTime, true}, "dcfabe"},
        SortCase{{SortColumn::Name, false}, "abcdef"}, SortCase{{SortColumn::Name, true}, "fedcba"},
        // Without a FileHash or of size 0: last in either direction, in arrival order.
        SortCase{{SortColumn::FileHash, false}, "bdafce"}, SortCase{{SortColumn::FileHash, true}, "fadbce"}),
    sort_case_name);

TEST(ResultSort, NamesSortInByteOrder) {
  std::vector<ResultRow> rows = {row("가", 1, 1, 1), row("b", 1, 1, 1), row("B", 1, 1, 1), row("a", 1, 1, 1)};
  sort_rows(rows, {SortColumn::Name, false});
  EXPECT_EQ(names(rows), "Bab가");
}

TEST(ResultSort, HeaderClicksTurnTheSameColumnRound) {
  SortOrder order = after_header_click(std::nullopt, SortColumn::Size);
  EXPECT_EQ(order, (SortOrder{SortColumn::Size, false}));
  order = after_header_click(order, SortColumn::Size);
  EXPECT_EQ(order, (SortOrder{SortColumn::Size, true}));
  order = after_header_click(order, SortColumn::Size);
  EXPECT_EQ(order, (SortOrder{SortColumn::Size, false}));
  order = after_header_click(SortOrder{SortColumn::Size, true}, SortColumn::Name);
  EXPECT_EQ(order, (SortOrder{SortColumn::Name, false})) << "another column starts in its first direction";
}

TEST(ResultSort, AutoSortIndexes) {
  EXPECT_EQ(auto_sort_column(0), SortColumn::Name);
  EXPECT_EQ(auto_sort_column(1), SortColumn::Size);
  EXPECT_EQ(auto_sort_column(2), SortColumn::Sources);
  EXPECT_EQ(auto_sort_column(3), SortColumn::ResponseTime);
  EXPECT_EQ(auto_sort_column(4), std::nullopt) << "정렬안함";
  EXPECT_EQ(auto_sort_column(-1), std::nullopt);
  EXPECT_EQ(auto_sort_column(5), std::nullopt);
}

ShownRecord shown(const wire::ResultRecord& record) { return {record, record.name}; }

TEST(ResultTabs, KeepTheLatestSearchesAndIgnoreClosedOnes) {
  ResultTabs tabs;
  for (uint32_t number = 1; number <= ResultTabs::kKeptTabs + 1; ++number) tabs.open(number);
  EXPECT_EQ(tabs.latest(), ResultTabs::kKeptTabs + 1);
  EXPECT_FALSE(tabs.snapshot(1)) << "the oldest tab was closed";
  EXPECT_FALSE(tabs.insert(1, {shown(file("a.avi", kHash))}, at("bob", 1, 1)));
  EXPECT_TRUE(tabs.insert(2, {shown(file("b.avi", "", 10)), shown(file("a.avi", kHash, 20))}, at("bob", 1, 1)));
  EXPECT_EQ(tabs.click(2, SortColumn::Size), (SortOrder{SortColumn::Size, false}));
  EXPECT_EQ(names(tabs.snapshot(2)->rows), "a.avib.avi");
  EXPECT_EQ(tabs.click(2, SortColumn::Size), (SortOrder{SortColumn::Size, true}));
  EXPECT_EQ(names(tabs.snapshot(2)->rows), "b.avia.avi");
  tabs.clear(2);
  EXPECT_TRUE(tabs.snapshot(2)->rows.empty());
  EXPECT_TRUE(tabs.insert(2, {shown(file("a.avi", kHash))}, at("bob", 1, 1))) << "a cleared tab takes rows again";
}

}  // namespace
}  // namespace dovel::search
