#include "ui/mainframe/qt_front.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "ui/mainframe/gui_wait.h"
#include "ui/recording_message_sink.h"

namespace dovel::ui {
namespace {

using Question = mainframe::UserPrompt::Question;

CMainFrameWindow::Options without_tray() {
  CMainFrameWindow::Options options;
  options.use_tray = false;
  return options;
}

TEST(QtFront, ShowViewSwitchesTheWindowsView) {
  test::RecordingMessageSink boxes;
  QtFront front(boxes);
  CMainFrameWindow window({}, {}, without_tray());
  front.attach_window(&window);
  for (int view : {mainframe::kViewTransfers, mainframe::kViewSearch, 0}) {
    front.show_view(view);
    EXPECT_EQ(window.current_view(), view);
  }
  front.show_view(kViewCount);
  front.show_view(-1);
  EXPECT_EQ(window.current_view(), 0);
}

TEST(QtFront, TitleSetBeforeTheWindowExistsIsAppliedToIt) {
  test::RecordingMessageSink boxes;
  QtFront front(boxes);
  front.set_title("Dovel Build 11672");
  CMainFrameWindow window({}, {}, without_tray());
  front.attach_window(&window);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Dovel Build 11672"));
  front.set_title("Dovel Build 11672 - someone");
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Dovel Build 11672 - someone"));
}

TEST(QtFront, AsksOnTheGuiThreadWithTheHubsText) {
  test::RecordingMessageSink boxes;
  QtFront front(boxes);
  boxes.answer = false;
  EXPECT_FALSE(front.ask(Question::EndSession, "접속을 종료하시겠습니까?"));
  boxes.answer = true;
  EXPECT_TRUE(front.ask(Question::EndSession, "접속을 종료하시겠습니까?"));
  EXPECT_EQ(boxes.asked, QStringList(2, QString::fromUtf8("접속을 종료하시겠습니까?")));
  front.tell("설정에러: ");
  EXPECT_EQ(boxes.informed, QStringList(QString::fromUtf8("설정에러: ")));
}

TEST(QtFront, QuestionFromAnotherThreadIsAskedOnTheGuiThreadAndAnswered) {
  test::RecordingMessageSink boxes;
  QtFront front(boxes);
  std::atomic<int> answer{-1};
  std::thread asker([&] { answer = front.ask(Question::TakeOverSession, "take over?") ? 1 : 0; });
  EXPECT_TRUE(test::process_until([&] { return answer != -1; }));
  asker.join();
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(boxes.asked, QStringList(QStringLiteral("take over?")));
}

TEST(QtFront, QuestionFromAnotherThreadGetsNoOnceTheFrontIsTornDown) {
  test::RecordingMessageSink boxes;
  QtFront front(boxes);
  std::atomic<int> answer{-1};
  // The GUI thread never runs its events here: tear-down must free the asker.
  std::thread asker([&] { answer = front.ask(Question::ExitWhileTransferring, "exit?") ? 1 : 0; });
  while (answer == -1) {
    front.tear_down();
    std::this_thread::yield();
  }
  asker.join();
  EXPECT_EQ(answer, 0);
}

TEST(QtFront, TellFromAnotherThreadReachesTheBoxesOnTheGuiThread) {
  test::RecordingMessageSink boxes;
  QtFront front(boxes);
  std::thread teller([&] { front.tell("note"); });
  teller.join();
  EXPECT_TRUE(test::process_until([&] { return boxes.informed.size() == 1; }));
}

TEST(QtFront, LoginAndSessionEndSwitchTheSessionCommands) {
  test::RecordingMessageSink boxes;
  QtFront front(boxes);
  WindowCore core;
  core.log_out = [] {};
  WindowOpeners openers;
  openers.open_login = [](QWidget*) {};
  CMainFrameWindow window(std::move(core), std::move(openers), without_tray());
  front.attach_window(&window);
  front.login_done({}, true);
  EXPECT_TRUE(window.logout_action()->isEnabled());
  EXPECT_FALSE(window.login_action()->isEnabled());
  front.session_ended();
  EXPECT_FALSE(window.logout_action()->isEnabled());
  EXPECT_TRUE(window.login_action()->isEnabled());
}

// Asked after the call returns (the start goes on); "yes" opens the folder.
TEST(QtFront, LeftoverFilesAreAskedAboutOnceTheStartRanAndYesOpensTheFolder) {
  for (const bool yes : {true, false}) {
    SCOPED_TRACE(yes);
    test::RecordingMessageSink boxes;
    boxes.answer = yes;
    std::vector<std::vector<std::string>> opened;
    QtFront front(boxes, nullptr, [&opened](const std::vector<std::string>& argv) {
      opened.push_back(argv);
      return true;
    });
    front.ask_about_leftover_files("임시폴더에 정리되지 않은 파일들이 있습니다.\r\n탐색기로 확인하시겠습니까?", "/data/Download/_DTEMP_");
    EXPECT_TRUE(boxes.asked.isEmpty());
    ASSERT_TRUE(test::process_until([&] { return !boxes.asked.isEmpty(); }));
    EXPECT_EQ(boxes.asked, QStringList(QString::fromUtf8("임시폴더에 정리되지 않은 파일들이 있습니다.\r\n탐색기로 확인하시겠습니까?")));
    if (yes) {
      ASSERT_EQ(opened.size(), 1u);
      EXPECT_EQ(opened[0].back(), "/data/Download/_DTEMP_");
    } else {
      EXPECT_TRUE(opened.empty());
    }
  }
}

TEST(QtFront, FileLinkGoesToTheClipboardAndABox) {
  test::RecordingMessageSink boxes;
  QtFront front(boxes);
  front.show_file_link("dovel://file/a/b:c:d");
  EXPECT_EQ(boxes.informed, QStringList(QStringLiteral("dovel://file/a/b:c:d")));
}

}  // namespace
}  // namespace dovel::ui
