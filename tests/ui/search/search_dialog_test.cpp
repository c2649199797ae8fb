#include "ui/search/search_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "search_test_core.h"
#include "ui/mainframe/gui_wait.h"
#include "ui/recording_message_sink.h"
#include "ui/search/dummy_dialog.h"
#include "ui/search/search_list_ctrl.h"

namespace dovel::ui {
namespace {

using test::hash_of;

constexpr int kWaitMs = 5000;

class SearchDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { commands = core.commands(); }

  std::unique_ptr<CSearchDialog> make_window() {
    auto window = std::make_unique<CSearchDialog>(commands, messages);
    window->resize(900, 400);
    window->show();
    return window;
  }

  search::SearchRequest request(const std::string& keyword) {
    search::SearchRequest wanted;
    wanted.keyword = keyword;
    return wanted;
  }

  void start(CSearchDialog& window, const std::string& keyword) {
    const size_t before = core.requests.size();
    window.start_search(request(keyword));
    ASSERT_EQ(core.requests.size(), before + 1);
  }

  test::SearchTestCore core;
  SearchCommands commands;
  test::RecordingMessageSink messages;
};

TEST_F(SearchDialogTest, EachSearchGetsATabWithItsKeywordAndRowCount) {
  auto window = make_window();
  start(*window, "movie");
  const uint32_t first = core.next_number;
  core.add(first, "movie.avi", 10, hash_of('a'), "kim", 1, 10);
  core.add(first, "movie.avi", 10, hash_of('a'), "lee", 2, 10);
  core.add(first, "movie2.avi", 10, hash_of('b'), "lee", 2, 10);
  window->refresh();
  ASSERT_EQ(window->tabs()->count(), 1);
  EXPECT_EQ(window->tabs()->tabText(0), "movie (2)");

  start(*window, "노래");
  window->refresh();
  ASSERT_EQ(window->tabs()->count(), 2);
  EXPECT_EQ(window->tabs()->tabText(1), "노래 (0)");
  EXPECT_EQ(window->current_list(), window->list_of(core.next_number));
  EXPECT_TRUE(window->list_of(core.next_number)->latest());
  EXPECT_FALSE(window->list_of(first)->latest());
}

TEST_F(SearchDialogTest, TabsTheCoreNoLongerKeepsAreClosed) {
  auto window = make_window();
  for (size_t i = 0; i < search::ResultTabs::kKeptTabs + 2; ++i) start(*window, "movie" + std::to_string(i));
  EXPECT_EQ(window->tabs()->count(), static_cast<int>(search::ResultTabs::kKeptTabs));
  EXPECT_EQ(window->tabs()->tabText(0), "movie2 (0)");
}

TEST_F(SearchDialogTest, ProgressShowsTheDatagramsSent) {
  core.running = true;
  core.progress = {1, search::SearchState::Sending, 30, 120, false};
  auto window = make_window();
  EXPECT_EQ(window->progress_bar()->maximum(), 120);
  EXPECT_EQ(window->progress_bar()->value(), 30);
  EXPECT_TRUE(window->busy());
  EXPECT_TRUE(window->stop_button()->isEnabled());

  // The queries go out without any news from the core: the bar follows them by itself.
  core.progress.sent = 90;
  EXPECT_TRUE(test::process_until([&] { return window->progress_bar()->value() == 90; }, 5000));

  core.progress.state = search::SearchState::SendingDone;
  core.progress.sent = 120;
  window->refresh();
  EXPECT_EQ(window->progress_bar()->value(), 120);
  EXPECT_FALSE(window->busy());
  EXPECT_TRUE(window->stop_button()->isEnabled());
}

TEST_F(SearchDialogTest, StoppingShowsItsTextUntilTheSearchHasStopped) {
  core.running = true;
  core.progress = {1, search::SearchState::SendingDone, 5, 5, false};
  std::atomic<bool> release{false};
  commands.stop = [&] {
    while (!release) std::this_thread::yield();
    std::lock_guard guard(core.lock);
    core.running = false;
  };
  auto window = make_window();

  window->stop_search();
  EXPECT_EQ(window->state_label()->text(), QString::fromUtf8(CSearchDialog::kStoppingText));
  EXPECT_FALSE(window->stop_button()->isEnabled());
  EXPECT_TRUE(window->busy());
  release = true;
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window->busy(); }, kWaitMs));
  EXPECT_EQ(window->state_label()->text(), "");
  EXPECT_FALSE(window->stop_button()->isEnabled());
}

TEST_F(SearchDialogTest, ANewSearchOverARunningOneShowsTheReplacingText) {
  core.running = true;
  CSearchDialog* shown = nullptr;
  QString text_while_starting;
  auto start = commands.start;
  commands.start = [&, start](const search::SearchRequest& wanted) {
    text_while_starting = shown->state_label()->text();
    return start(wanted);
  };
  auto window = make_window();
  shown = window.get();
  window->start_search(request("movie"));
  EXPECT_EQ(text_while_starting, QString::fromUtf8(CSearchDialog::kReplacingText));
  EXPECT_EQ(window->state_label()->text(), "");
  EXPECT_EQ(window->tabs()->count(), 1);
}

TEST_F(SearchDialogTest, TheWindowCannotBeClosedWhileSearching) {
  auto window = make_window();
  core.running = true;
  EXPECT_FALSE(window->close());
  EXPECT_EQ(messages.informed, QStringList{QString::fromUtf8(CSearchDialog::kCloseRefusedText)});
  EXPECT_TRUE(window->isVisible());

  core.running = false;
  EXPECT_TRUE(window->close());
  EXPECT_EQ(messages.informed.size(), 1);
}

TEST_F(SearchDialogTest, TheSidePaneShowsOnlyAPageWithBodyText) {
  commands.fetch_page = [](const std::string& keyword) -> std::string {
    if (keyword == "blank") return "<html><head><title>추천</title></head><body> \n &nbsp; </body></html>";
    return "<html><body><p> 추천 자료: " + keyword + " </p></body></html>";
  };
  auto window = make_window();
  QSignalSpy laid_out(window->side_pane(), &CDummyDialog::layout_requested);
  const int list_width = window->tabs()->width();

  start(*window, "blank");
  ASSERT_TRUE(QTest::qWaitFor([&] { return laid_out.count() == 1; }, kWaitMs));
  EXPECT_TRUE(window->side_pane()->isHidden());

  start(*window, "영화");
  ASSERT_TRUE(QTest::qWaitFor([&] { return laid_out.count() == 2; }, kWaitMs));
  EXPECT_FALSE(window->side_pane()->isHidden());
  EXPECT_EQ(window->side_pane()->body_text(), "추천 자료: 영화");
  EXPECT_LT(window->tabs()->width(), list_width);

  start(*window, "blank");
  ASSERT_TRUE(QTest::qWaitFor([&] { return laid_out.count() == 3; }, kWaitMs));
  EXPECT_TRUE(window->side_pane()->isHidden());
}

TEST_F(SearchDialogTest, TheSidePaneNeverLoadsWhatThePageRefersTo) {
  CDummyDialog pane({});
  EXPECT_FALSE(pane.loadResource(QTextDocument::ImageResource, QUrl("http://127.0.0.1/x.png")).isValid());
  EXPECT_FALSE(pane.loadResource(QTextDocument::StyleSheetResource, QUrl("file:///etc/passwd")).isValid());
  pane.show_page("<html><body><script>document.write('x')</script></body></html>");
  EXPECT_TRUE(pane.isHidden());
}

TEST_F(SearchDialogTest, ARefusedInputShowsTheCoresMessage) {
  auto window = make_window();
  start(*window, "a");
  EXPECT_EQ(messages.informed, QStringList{"검색어는 최소 2자이상 되어야 합니다."});
  EXPECT_EQ(window->tabs()->count(), 0);
}

}  // namespace
}  // namespace dovel::ui
