#include "ui/search/search_list_ctrl.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "search_test_core.h"
#include "util/letter_pair.h"

namespace dovel::ui {
namespace {

using test::hash_of;

class SearchListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    core.tabs.open(kNumber);
    commands = core.commands();
  }

  std::unique_ptr<CSearchListCtrl> make_list() {
    auto list = std::make_unique<CSearchListCtrl>(commands);
    list->resize(800, 300);
    list->show();
    refresh(*list);
    return list;
  }

  void refresh(CSearchListCtrl& list) { list.set_snapshot(*commands.results(kNumber)); }

  // A real click on a column's heading; the list reads its rows again as the search window does on `changed`.
  void click_header(CSearchListCtrl& list, int column) {
    QHeaderView* header = list.header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    refresh(list);
  }

  static std::vector<std::string> names(const CSearchListCtrl& list) {
    std::vector<std::string> shown;
    for (int row = 0; row < list.rows().rowCount(); ++row) shown.push_back(list.rows().row_at(row)->name);
    return shown;
  }

  static void select_rows(CSearchListCtrl& list, std::initializer_list<int> rows) {
    list.clearSelection();
    for (int row : rows) list.selectionModel()->select(list.rows().index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list.selectionModel()->setCurrentIndex(list.rows().index(*rows.begin(), 0), QItemSelectionModel::NoUpdate);
  }

  static QAction* action(QMenu& menu, const char* text) {
    for (QAction* action : menu.actions()) {
      if (action->text() == QString::fromUtf8(text)) return action;
    }
    return nullptr;
  }

  static constexpr uint32_t kNumber = 42;
  test::SearchTestCore core;
  SearchCommands commands;
};

TEST_F(SearchListTest, ColumnsHaveTheirWidthsAndTheFileIdIsShownOnlyToPrivilegedUsers) {
  auto list = make_list();
  const int widths[] = {140, 100, 50, 70};
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(list->columnWidth(column), widths[column]);
    EXPECT_FALSE(list->isColumnHidden(column));
  }
  EXPECT_TRUE(list->isColumnHidden(SearchResultModel::kFileIdColumn));
  for (int column = SearchResultModel::kVisibleColumns; column < SearchResultModel::kColumnCount; ++column) {
    EXPECT_TRUE(list->isColumnHidden(column));
  }

  list->set_privileged(true);
  EXPECT_FALSE(list->isColumnHidden(SearchResultModel::kFileIdColumn));
  EXPECT_EQ(list->columnWidth(SearchResultModel::kFileIdColumn), 200);
  list->set_privileged(false);
  EXPECT_TRUE(list->isColumnHidden(SearchResultModel::kFileIdColumn));
}

TEST_F(SearchListTest, EqualSizesPutTheFasterResponseFirstInBothDirections) {
  core.add(kNumber, "slow", 100, hash_of('1'), "kim", 1, 50);
  core.add(kNumber, "big", 200, hash_of('2'), "kim", 1, 70);
  core.add(kNumber, "fast", 100, hash_of('3'), "lee", 2, 20);
  auto list = make_list();

  click_header(*list, SearchResultModel::kSizeColumn);
  EXPECT_EQ(names(*list), (std::vector<std::string>{"big", "fast", "slow"}));
  EXPECT_EQ(list->header()->sortIndicatorSection(), SearchResultModel::kSizeColumn);
  EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::DescendingOrder);

  click_header(*list, SearchResultModel::kSizeColumn);
  EXPECT_EQ(names(*list), (std::vector<std::string>{"fast", "slow", "big"}));
  EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);
}

TEST_F(SearchListTest, TheFileIdColumnPutsRowsOfSizeZeroOrWithoutAHashLastInBothDirections) {
  core.privileged = true;
  core.add(kNumber, "empty file", 0, hash_of('0'), "kim", 1, 10);
  core.add(kNumber, "late", 10, hash_of('c'), "kim", 1, 10);
  core.add(kNumber, "folder", 0, "", "kim", 1, 10);
  core.add(kNumber, "early", 10, hash_of('a'), "kim", 1, 10);
  auto list = make_list();
  list->set_privileged(true);

  click_header(*list, SearchResultModel::kFileIdColumn);
  EXPECT_EQ(names(*list), (std::vector<std::string>{"early", "late", "empty file", "folder"}));
  EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);

  click_header(*list, SearchResultModel::kFileIdColumn);
  EXPECT_EQ(names(*list), (std::vector<std::string>{"late", "early", "empty file", "folder"}));
  EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
}

TEST_F(SearchListTest, AnotherColumnStartsInItsFirstDirection) {
  core.add(kNumber, "b", 1, hash_of('1'), "kim", 1, 30);
  core.add(kNumber, "a", 2, hash_of('2'), "kim", 1, 10);
  core.add(kNumber, "c", 3, hash_of('3'), "kim", 1, 20);
  auto list = make_list();

  click_header(*list, SearchResultModel::kNameColumn);
  click_header(*list, SearchResultModel::kNameColumn);
  EXPECT_EQ(names(*list), (std::vector<std::string>{"c", "b", "a"}));
  click_header(*list, SearchResultModel::kResponseColumn);
  EXPECT_EQ(names(*list), (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_EQ(core.tabs.snapshot(kNumber)->order, (search::SortOrder{search::SortColumn::ResponseTime, false}));
}

TEST_F(SearchListTest, AnOlderTabIsSortedByTheSameRulesWithoutTouchingTheLatest) {
  core.add(kNumber, "slow", 100, hash_of('1'), "kim", 1, 50);
  core.add(kNumber, "fast", 100, hash_of('3'), "lee", 2, 20);
  auto list = make_list();
  core.tabs.open(kNumber + 1);
  list->set_latest(false);

  click_header(*list, SearchResultModel::kSizeColumn);
  EXPECT_EQ(names(*list), (std::vector<std::string>{"fast", "slow"}));
  EXPECT_EQ(core.tabs.snapshot(kNumber)->order, std::nullopt);
  EXPECT_EQ(list->header()->sortIndicatorSection(), SearchResultModel::kSizeColumn);
}

TEST_F(SearchListTest, ActivatingARowQueuesItsDownloadOrExploresAFolder) {
  core.add(kNumber, "movie.avi", 100, hash_of('a'), "kim", 1, 10);
  core.add(kNumber, "폴더", 0, "", "lee", 2, 10);
  auto list = make_list();
  int queued_signals = 0;
  QObject::connect(list.get(), &CSearchListCtrl::downloads_queued, [&] { ++queued_signals; });

  list->activate_row(0);
  list->activate_row(1);
  EXPECT_EQ(core.downloads, std::vector<std::string>{hash_of('a')});
  EXPECT_EQ(core.explored, std::vector<std::string>{"10.0.0.2:6699/lee"});
  EXPECT_EQ(queued_signals, 1);

  core.download_answer = false;
  list->activate_row(0);
  EXPECT_EQ(queued_signals, 1);
}

TEST_F(SearchListTest, TheMenuDownloadsTheSelectedFilesAndExploresTheFastestSource) {
  core.add(kNumber, "a.avi", 100, hash_of('a'), "kim", 1, 90);
  core.add(kNumber, "a.avi", 100, hash_of('a'), "lee", 2, 15);
  core.add(kNumber, "폴더", 0, "", "park", 3, 10);
  core.add(kNumber, "b.avi", 100, hash_of('b'), "choi", 4, 10);
  auto list = make_list();
  select_rows(*list, {0, 1, 2});

  std::unique_ptr<QMenu> menu(list->context_menu(nullptr));
  ASSERT_NE(action(*menu, CSearchListCtrl::kDownloadText), nullptr);
  ASSERT_TRUE(action(*menu, CSearchListCtrl::kDownloadText)->isEnabled());
  action(*menu, CSearchListCtrl::kDownloadText)->trigger();
  EXPECT_EQ(core.downloads, (std::vector<std::string>{hash_of('a'), hash_of('b')}));

  action(*menu, CSearchListCtrl::kExploreText)->trigger();
  EXPECT_EQ(core.explored, std::vector<std::string>{"10.0.0.2:6699/lee"});

  select_rows(*list, {1});
  std::unique_ptr<QMenu> folder_menu(list->context_menu(nullptr));
  EXPECT_FALSE(action(*folder_menu, CSearchListCtrl::kDownloadText)->isEnabled());
  EXPECT_FALSE(action(*folder_menu, CSearchListCtrl::kCopyFileLinkText)->isEnabled());
  EXPECT_TRUE(action(*folder_menu, CSearchListCtrl::kExploreText)->isEnabled());
}

TEST_F(SearchListTest, LinksOfTheResultsGoToTheClipboard) {
  core.add(kNumber, "큰 영화.avi", 1234567, hash_of('a'), "kim", 1, 90);
  core.add(kNumber, "b.avi", 5, hash_of('b'), "lee", 2, 10);
  auto list = make_list();
  select_rows(*list, {0, 1});

  list->run(CSearchListCtrl::Command::CopyFileLink);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            "dovel://file/큰 영화.avi:" + hash_of('a') + ":1234567\r\ndovel://file/b.avi:" + hash_of('b') + ":5");

  list->run(CSearchListCtrl::Command::CopyServerLink);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            "dovel://server_e/" + util::Encode("10.0.0.1") + ":" + util::Encode("6699"));
}

TEST_F(SearchListTest, DeleteAllEmptiesTheLatestTabOnly) {
  core.add(kNumber, "a.avi", 100, hash_of('a'), "kim", 1, 90);
  auto list = make_list();
  std::unique_ptr<QMenu> menu(list->context_menu(nullptr));
  QAction* clear = action(*menu, CSearchListCtrl::kClearAllText);
  ASSERT_NE(clear, nullptr);
  ASSERT_TRUE(clear->isEnabled());
  QObject::connect(list.get(), &CSearchListCtrl::changed, [&] { refresh(*list); });
  clear->trigger();
  EXPECT_EQ(list->rows().rowCount(), 0);
  EXPECT_TRUE(core.tabs.snapshot(kNumber)->rows.empty());

  core.add(kNumber, "b.avi", 100, hash_of('b'), "kim", 1, 90);
  refresh(*list);
  list->set_latest(false);
  EXPECT_FALSE(list->available(CSearchListCtrl::Command::ClearAll));
}

TEST_F(SearchListTest, CommandsThatAreNotThereAreDisabled) {
  core.add(kNumber, "a.avi", 100, hash_of('a'), "kim", 1, 90);
  commands.download = nullptr;
  commands.explore = nullptr;
  commands.clear_latest = nullptr;
  auto list = make_list();
  select_rows(*list, {0});
  EXPECT_FALSE(list->available(CSearchListCtrl::Command::Download));
  EXPECT_FALSE(list->available(CSearchListCtrl::Command::Explore));
  EXPECT_FALSE(list->available(CSearchListCtrl::Command::ClearAll));
  EXPECT_TRUE(list->available(CSearchListCtrl::Command::CopyFileLink));
  list->activate_row(0);
  EXPECT_TRUE(core.downloads.empty());
}

}  // namespace
}  // namespace dovel::ui
