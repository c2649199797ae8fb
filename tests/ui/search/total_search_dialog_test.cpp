#include "ui/search/total_search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "search_test_core.h"
#include "ui/mainframe/main_views.h"
#include "ui/recording_message_sink.h"
#include "ui/search/search_dialog.h"
#include "ui/search/search_list_ctrl.h"

namespace dovel::ui {
namespace {

using test::hash_of;

class TotalSearchTest : public ::testing::Test {
 protected:
  void SetUp() override { commands = core.commands(); }

  std::unique_ptr<CTotalSearchDialog> make_view() {
    auto view = std::make_unique<CTotalSearchDialog>(commands, messages);
    view->resize(900, 500);
    view->show();
    return view;
  }

  static void type(CTotalSearchDialog& view, const QString& keyword) {
    view.keyword_box()->setEditText(QString());
    test::commit_text(view.keyword_box()->lineEdit(), keyword);
  }

  static void press_search(CTotalSearchDialog& view) { QTest::mouseClick(view.search_button(), Qt::LeftButton); }

  test::SearchTestCore core;
  SearchCommands commands;
  test::RecordingMessageSink messages;
};

TEST_F(TotalSearchTest, TheBarHasItsChoicesWithTheirDefaults) {
  auto view = make_view();
  EXPECT_EQ(view->search_button()->text(), "검 색");
  QStringList precision;
  for (int i = 0; i < view->precision_box()->count(); ++i) precision << view->precision_box()->itemText(i);
  EXPECT_EQ(precision, (QStringList{"0", "5", "10", "20", "30", "40", "50", "100"}));
  EXPECT_EQ(view->precision_box()->currentIndex(), 4);
  QStringList sorts;
  for (int i = 0; i < view->auto_sort_box()->count(); ++i) sorts << view->auto_sort_box()->itemText(i);
  EXPECT_EQ(sorts, (QStringList{"파일명", "크기", "파일수", "응답시간", "정렬안함"}));
  EXPECT_EQ(view->auto_sort_box()->currentIndex(), 4);
  EXPECT_EQ(view->auto_move_box()->text(), "다운창으로 자동전환");
  EXPECT_TRUE(view->auto_move_box()->isChecked());
  EXPECT_EQ(view->refine_box()->text(), "결과내 재검색");
  EXPECT_FALSE(view->refine_box()->isChecked());
  EXPECT_TRUE(view->extension_box()->isEditable());
}

TEST_F(TotalSearchTest, ChoicesAreReadFromAndWrittenToTheSettings) {
  core.stored.numbers = {{"SendtoDelay", 7}, {"AutoSort", 1}, {"SearchAutoMoveDownload", 0}};
  core.stored.texts = {{"SearchText", "영화\nmusic"}, {"SearchFileExt", "avi"}};
  auto view = make_view();
  EXPECT_EQ(view->precision_box()->currentIndex(), 7);
  EXPECT_EQ(view->auto_sort_box()->currentIndex(), 1);
  EXPECT_FALSE(view->auto_move_box()->isChecked());
  EXPECT_EQ(view->extension_box()->currentText(), "avi");
  ASSERT_EQ(view->keyword_box()->count(), 2);
  EXPECT_EQ(view->keyword_box()->itemText(0), "영화");
  EXPECT_EQ(view->keyword_box()->currentText(), "");

  view->precision_box()->setCurrentIndex(2);
  view->auto_sort_box()->setCurrentIndex(3);
  view->auto_move_box()->setChecked(true);
  EXPECT_EQ(core.stored.numbers["SendtoDelay"], 2);
  EXPECT_EQ(core.stored.numbers["AutoSort"], 3);
  EXPECT_EQ(core.stored.numbers["SearchAutoMoveDownload"], 1);

  type(*view, "노래");
  view->extension_box()->setEditText("mp3");
  press_search(*view);
  EXPECT_EQ(core.stored.texts["SearchText"], "노래\n영화\nmusic");
  EXPECT_EQ(core.stored.texts["SearchFileExt"], "mp3");
  EXPECT_EQ(view->keyword_box()->itemText(0), "노래");
}

TEST_F(TotalSearchTest, StoredIndexesOutsideTheBoxesGiveTheDefaults) {
  core.stored.numbers = {{"SendtoDelay", 8}, {"AutoSort", 99}};
  auto view = make_view();
  EXPECT_EQ(view->precision_box()->currentIndex(), 4);
  EXPECT_EQ(view->auto_sort_box()->currentIndex(), 4);
}

TEST_F(TotalSearchTest, ARefusedKeywordShowsTheCoresMessage) {
  struct Case {
    QString keyword;
    QString message;
  };
  const Case cases[] = {
      {"", "검색어를 입력하세요."},
      {"a", "검색어는 최소 2자이상 되어야 합니다."},
      {"가", "'가' - 한글(일본어,한자등)이 포함될 경우 두자 이상이어야 합니다."},
      {"a b", "영문일경우 1자 이상이어야 합니다."},
  };
  auto view = make_view();
  for (const Case& refused : cases) {
    SCOPED_TRACE(refused.keyword.toStdString());
    messages.informed.clear();
    type(*view, refused.keyword);
    press_search(*view);
    EXPECT_EQ(messages.informed, QStringList{refused.message});
  }
  EXPECT_EQ(view->search_window()->tabs()->count(), 0);
  EXPECT_TRUE(core.stored.texts["SearchText"].empty());
}

TEST_F(TotalSearchTest, TheGreyHintCountsAsEmpty) {
  auto view = make_view();
  EXPECT_FALSE(view->keyword_box()->lineEdit()->placeholderText().isEmpty());
  press_search(*view);
  EXPECT_EQ(messages.informed, QStringList{"검색어를 입력하세요."});
  ASSERT_EQ(core.requests.size(), 1u);
  EXPECT_EQ(core.requests.front().keyword, "");
}

TEST_F(TotalSearchTest, TheButtonWaitsWhileTheSearchSendsAndComesBackAfter) {
  auto view = make_view();
  core.running = true;
  core.progress.state = search::SearchState::Sending;
  view->refresh();
  EXPECT_NE(view->search_button()->text(), "검 색");
  EXPECT_FALSE(view->search_button()->isEnabled());
  EXPECT_FALSE(view->keyword_box()->isEnabled());

  core.progress.state = search::SearchState::SendingDone;
  view->refresh();
  EXPECT_EQ(view->search_button()->text(), "검 색");
  EXPECT_TRUE(view->search_button()->isEnabled());
  EXPECT_TRUE(view->keyword_box()->isEnabled());
}

TEST_F(TotalSearchTest, SearchingWithinTheResultsFiltersTheShownTab) {
  auto view = make_view();
  type(*view, "movie");
  press_search(*view);
  core.add(core.next_number, "summer movie.avi", 10, hash_of('1'), "kim", 1, 10);
  core.add(core.next_number, "winter movie.mp4", 10, hash_of('2'), "kim", 1, 10);
  view->refresh();
  ASSERT_EQ(view->search_window()->tabs()->tabText(0), "movie (2)");
  const size_t searches = core.requests.size();

  view->refine_box()->setChecked(true);
  type(*view, "");
  view->extension_box()->setEditText("");
  press_search(*view);
  EXPECT_EQ(messages.informed, QStringList{"결과내 재검색: 검색어나 확장자를 입력하세요."});

  type(*view, "WINTER");
  press_search(*view);
  CSearchListCtrl* list = view->search_window()->current_list();
  ASSERT_EQ(list->rows().rowCount(), 1);
  EXPECT_EQ(list->rows().row_at(0)->name, "winter movie.mp4");
  EXPECT_EQ(view->search_window()->tabs()->tabText(0), "movie (1)");
  EXPECT_EQ(core.requests.size(), searches);

  view->refine_box()->setChecked(false);
  EXPECT_EQ(list->rows().rowCount(), 2);
}

TEST_F(TotalSearchTest, QueuingADownloadSwitchesToTheTransfersWhenTheBoxIsChecked) {
  auto view = make_view();
  type(*view, "movie");
  press_search(*view);
  core.add(core.next_number, "movie.avi", 10, hash_of('1'), "kim", 1, 10);
  view->refresh();
  CSearchListCtrl* list = view->search_window()->current_list();
  ASSERT_NE(list, nullptr);

  list->activate_row(0);
  EXPECT_EQ(core.views, std::vector<int>{kViewTransferLists});

  view->auto_move_box()->setChecked(false);
  list->activate_row(0);
  EXPECT_EQ(core.views.size(), 1u);
  EXPECT_EQ(core.downloads.size(), 2u);
}

}  // namespace
}  // namespace dovel::ui
