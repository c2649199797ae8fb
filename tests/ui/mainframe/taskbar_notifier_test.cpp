#include "ui/mainframe/taskbar_notifier.h"

#include <QTest>

#include <gtest/gtest.h>

#include "ui/mainframe/main_frame_window.h"

namespace dovel::ui {
namespace {

CMainFrameWindow::Options without_tray() {
  CMainFrameWindow::Options options;
  options.use_tray = false;
  return options;
}

TEST(CTaskbarNotifier, ClickOnAClickablePopUpReportsItsKindAndDataAndHidesIt) {
  CTaskbarNotifier notifier;
  QStringList clicks;
  QObject::connect(&notifier, &CTaskbarNotifier::clicked, [&](const QString& kind, const QString& data) { clicks << kind + '/' + data; });
  notifier.Notify(QStringLiteral("Down_End"), QStringLiteral("file"), QString::fromUtf8("a.txt 파일다운이 완료되었습니다."), true);
  EXPECT_TRUE(notifier.isVisible());
  EXPECT_EQ(notifier.text(), QString::fromUtf8("a.txt 파일다운이 완료되었습니다."));
  QTest::mouseClick(&notifier, Qt::LeftButton);
  EXPECT_EQ(clicks, QStringList(QStringLiteral("Down_End/file")));
  EXPECT_FALSE(notifier.isVisible());
}

TEST(CTaskbarNotifier, ClickOnAPopUpThatIsNotClickableDoesNothing) {
  CTaskbarNotifier notifier;
  int clicks = 0;
  QObject::connect(&notifier, &CTaskbarNotifier::clicked, [&] { ++clicks; });
  notifier.Notify(QStringLiteral("Notice"), QString(), QStringLiteral("notice"), false);
  QTest::mouseClick(&notifier, Qt::LeftButton);
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(notifier.isVisible());
  notifier.dismiss();
}

TEST(CMainFrameWindowNotifier, DownloadCompletionPopsUpOnlyWhenTheUserWantsPopUps) {
  bool wanted = false;
  WindowCore core;
  core.notify_window_on = [&] { return wanted; };
  CMainFrameWindow window(std::move(core), {}, without_tray());
  window.notify_download_finished(QStringLiteral("file"), QString::fromUtf8("a.txt 파일다운이 완료되었습니다."));
  EXPECT_FALSE(window.notifier().isVisible());

  wanted = true;
  window.notify_download_finished(QStringLiteral("file"), QString::fromUtf8("a.txt 파일다운이 완료되었습니다."));
  EXPECT_TRUE(window.notifier().isVisible());
  QTest::mouseClick(&window.notifier(), Qt::LeftButton);
  EXPECT_EQ(window.current_view(), kViewTransferLists);
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace dovel::ui
