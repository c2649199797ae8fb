#include "ui/share/hash_dialog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace dovel::ui {
namespace {

bool process_until(const std::function<bool()>& condition) {
  QElapsedTimer waited;
  waited.start();
  while (!condition() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return condition();
}

class HashDialogTest : public ::testing::Test {
 protected:
  mainframe::HubStatus status;
  int cancels = 0;
  CHashDialog dialog{[this] { return status; }, [this] {
                       ++cancels;
                       status.hashing = false;  // the hub forgets the run at once
                     }};
};

TEST_F(HashDialogTest, ShowsItselfForARunFollowsItAndHidesAtItsEnd) {
  dialog.refresh();
  EXPECT_FALSE(dialog.isVisible());

  status.hashing = true;
  status.hash_progress = {"/home/u/공유/음악", "노래.mp3(12345678)"};
  ASSERT_TRUE(process_until([&] { return dialog.isVisible(); })) << "the timer notices the run";
  EXPECT_EQ(dialog.folder_line()->text(), QStringLiteral("/home/u/공유/음악"));
  EXPECT_EQ(dialog.file_line()->text(), QStringLiteral("노래.mp3(12345678)"));

  status.hash_progress.file = "<b>영화</b>.avi(99)";
  dialog.refresh();
  EXPECT_EQ(dialog.file_line()->text(), QStringLiteral("<b>영화</b>.avi(99)"));
  EXPECT_EQ(dialog.file_line()->textFormat(), Qt::PlainText) << "a file name is never read as markup";

  status.hashing = false;
  ASSERT_TRUE(process_until([&] { return !dialog.isVisible(); }));
  EXPECT_EQ(cancels, 0);
}

TEST_F(HashDialogTest, CancelStopsTheRunAndHidesTheWindow) {
  status.hashing = true;
  dialog.refresh();
  ASSERT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.cancel_button()->text(), QStringLiteral("취소(&C)"));
  QTest::mouseClick(dialog.cancel_button(), Qt::LeftButton);
  EXPECT_EQ(cancels, 1);
  EXPECT_FALSE(dialog.isVisible());
  dialog.refresh();
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace dovel::ui
