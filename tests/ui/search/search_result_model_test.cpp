#include "ui/search/search_result_model.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QPersistentModelIndex>

#include <gtest/gtest.h>

#include "search_test_core.h"

namespace dovel::ui {
namespace {

using test::hash_of;

QString cell(const SearchResultModel& model, int row, int column) { return model.data(model.index(row, column)).toString(); }

std::vector<QString> names(const SearchResultModel& model) {
  std::vector<QString> shown;
  for (int row = 0; row < model.rowCount(); ++row) shown.push_back(cell(model, row, SearchResultModel::kNameColumn));
  return shown;
}

TEST(SearchResultModel, ColumnsHaveTheirHeadingsWidthsAndAlignments) {
  struct Case {
    int column;
    const char* title;
    int width;
    Qt::Alignment alignment;
  };
  const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
  const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
  const Case cases[] = {
      {SearchResultModel::kNameColumn, "폴더&&파일", 140, left},   {SearchResultModel::kSizeColumn, "크기", 100, right},
      {SearchResultModel::kSourcesColumn, "파일수", 50, right},     {SearchResultModel::kResponseColumn, "응답시간", 70, right},
      {SearchResultModel::kFileIdColumn, "파일아이디", 0, left},
  };
  SearchResultModel model;
  EXPECT_EQ(model.columnCount(), 16);  // five shown, eleven hidden with the row's data
  for (const Case& expected : cases) {
    SCOPED_TRACE(expected.title);
    EXPECT_EQ(model.headerData(expected.column, Qt::Horizontal).toString(), QString::fromUtf8(expected.title));
    EXPECT_EQ(SearchResultModel::column_layout(expected.column).width, expected.width);
    EXPECT_EQ(model.headerData(expected.column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(), expected.alignment);
  }
  EXPECT_EQ(SearchResultModel::kPrivilegedFileIdWidth, 200);
}

TEST(SearchResultModel, AGroupedRowShowsItsSourcesAndTheFastestResponse) {
  test::SearchTestCore core;
  core.tabs.open(7);
  core.add(7, "movie.avi", 1234567, hash_of('a'), "kim", 1, 120);
  core.add(7, "movie.avi", 1234567, hash_of('a'), "lee", 2, 35);
  core.add(7, "movie.avi", 1234567, hash_of('a'), "park", 3, 80);
  core.add(7, "사진", 0, "", "choi", 4, 10);

  SearchResultModel model;
  model.set_snapshot(*core.tabs.snapshot(7));

  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(cell(model, 0, SearchResultModel::kNameColumn), "movie.avi");
  EXPECT_EQ(cell(model, 0, SearchResultModel::kSizeColumn), "1,234,567");
  EXPECT_EQ(cell(model, 0, SearchResultModel::kSourcesColumn), "3");
  EXPECT_EQ(cell(model, 0, SearchResultModel::kResponseColumn), "35ms");
  EXPECT_EQ(cell(model, 0, SearchResultModel::kFileIdColumn), QString::fromStdString(hash_of('a')));
  // The hidden columns carry the fastest source and the row's own values.
  EXPECT_EQ(cell(model, 0, SearchResultModel::kResponderColumn), "lee");
  EXPECT_EQ(cell(model, 0, SearchResultModel::kAddressColumn), "10.0.0.2");
  EXPECT_EQ(cell(model, 0, SearchResultModel::kPortColumn), "6699");
  EXPECT_EQ(cell(model, 0, SearchResultModel::kSizeBytesColumn), "1234567");
  EXPECT_EQ(cell(model, 0, SearchResultModel::kSearchNumberColumn), "7");
  EXPECT_EQ(model.data(model.index(0, SearchResultModel::kSizeColumn), Qt::TextAlignmentRole).value<Qt::Alignment>(),
            Qt::AlignRight | Qt::AlignVCenter);

  EXPECT_EQ(cell(model, 1, SearchResultModel::kNameColumn), "사진");
  EXPECT_EQ(cell(model, 1, SearchResultModel::kSizeColumn), "0");
  EXPECT_EQ(cell(model, 1, SearchResultModel::kFileIdColumn), "");
  EXPECT_EQ(model.row_at(1)->sources.size(), 1u);
  EXPECT_EQ(model.row_at(2), nullptr);
}

// A refresh changes rows in place: a selected row stays selected when new
// rows arrive, when the core sorts the tab and when other rows go.
TEST(SearchResultModel, TheSelectionFollowsItsRowThroughUpdates) {
  test::SearchTestCore core;
  core.tabs.open(1);
  core.add(1, "b.avi", 200, hash_of('b'), "kim", 1, 10);
  core.add(1, "a.avi", 100, hash_of('a'), "kim", 1, 10);
  SearchResultModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.set_snapshot(*core.tabs.snapshot(1));
  QItemSelectionModel selection(&model);
  selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QPersistentModelIndex selected(model.index(1, 0));

  core.add(1, "c.avi", 300, hash_of('c'), "lee", 2, 20);
  model.set_snapshot(*core.tabs.snapshot(1));
  EXPECT_EQ(selected.row(), 1);

  core.tabs.click(1, search::SortColumn::Name);
  model.set_snapshot(*core.tabs.snapshot(1));
  EXPECT_EQ(names(model), (std::vector<QString>{"a.avi", "b.avi", "c.avi"}));
  EXPECT_EQ(selected.row(), 0);
  EXPECT_TRUE(selection.isRowSelected(0, {}));

  core.add(1, "b.avi", 200, hash_of('b'), "park", 3, 5);
  model.set_snapshot(*core.tabs.snapshot(1));
  EXPECT_EQ(cell(model, 1, SearchResultModel::kSourcesColumn), "2");
  EXPECT_EQ(cell(model, 1, SearchResultModel::kResponseColumn), "5ms");

  core.tabs.clear(1);
  model.set_snapshot(*core.tabs.snapshot(1));
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_FALSE(selected.isValid());
}

TEST(SearchResultModel, RowsWithoutAHashStayApartEvenWhenAlike) {
  test::SearchTestCore core;
  core.tabs.open(1);
  core.add(1, "같은폴더", 0, "", "kim", 1, 10);
  core.add(1, "같은폴더", 0, "", "kim", 1, 10);
  SearchResultModel model;
  model.set_snapshot(*core.tabs.snapshot(1));
  EXPECT_EQ(model.rowCount(), core.tabs.snapshot(1)->rows.size());
}

TEST(SearchResultModel, RefiningShowsOnlyRowsWithEveryWordAndTheExtension) {
  test::SearchTestCore core;
  core.tabs.open(1);
  core.add(1, "Summer Holiday.avi", 10, hash_of('1'), "kim", 1, 10);
  core.add(1, "summer song.mp3", 10, hash_of('2'), "kim", 1, 10);
  core.add(1, "winter holiday.AVI", 10, hash_of('3'), "kim", 1, 10);
  core.add(1, "여름 휴가.avi", 10, hash_of('4'), "kim", 1, 10);
  SearchResultModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.set_snapshot(*core.tabs.snapshot(1));

  struct Case {
    const char* keyword;
    const char* extension;
    std::vector<QString> shown;
  };
  const Case cases[] = {
      {"summer", "", {"Summer Holiday.avi", "summer song.mp3"}},
      {"HOLIDAY summer", "", {"Summer Holiday.avi"}},
      {"", ".avi", {"Summer Holiday.avi", "winter holiday.AVI", "여름 휴가.avi"}},
      {"휴가", "avi", {"여름 휴가.avi"}},
      {"holiday", "mp3", {}},
  };
  for (const Case& refine : cases) {
    SCOPED_TRACE(std::string(refine.keyword) + "|" + refine.extension);
    model.set_filter(RefineFilter::of(refine.keyword, refine.extension));
    EXPECT_EQ(names(model), refine.shown);
    EXPECT_EQ(model.total_rows(), 4);
  }
  model.set_filter(std::nullopt);
  EXPECT_EQ(model.rowCount(), 4);
}

TEST(SearchResultModel, RefiningNeedsWordsOrAnExtension) {
  EXPECT_FALSE(RefineFilter::of("", ""));
  EXPECT_FALSE(RefineFilter::of("   ", " .. "));
  EXPECT_TRUE(RefineFilter::of("a", ""));
  EXPECT_TRUE(RefineFilter::of("", "avi"));
}

}  // namespace
}  // namespace dovel::ui
