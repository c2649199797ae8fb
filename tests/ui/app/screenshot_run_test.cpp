#include "ui/app/screenshot_run.h"

#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "ui/mainframe/gui_wait.h"

namespace dovel::ui {
namespace {

CMainFrameWindow::Options without_tray() {
  CMainFrameWindow::Options options;
  options.use_tray = false;
  return options;
}

mainframe::HubStatus logged_in() {
  mainframe::HubStatus status;
  status.logged_in = true;
  return status;
}

ExtraShot label_shot(const QString& file, std::function<bool()> ready = {}) {
  return {file, [] { return static_cast<QWidget*>(new QLabel(QStringLiteral("shot"))); }, [](QWidget* shown) { delete shown; },
          std::move(ready), {}};
}

TEST(ScreenshotRun, TakesTheViewsAndWaitsForAShotUntilItIsReady) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  CMainFrameWindow window({}, {}, without_tray());
  int exits = 0;
  bool upload_running = false;
  ScreenshotRun run(QDir(folder.path()), window, logged_in, [&exits] { ++exits; });
  run.add_shot(label_shot(QStringLiteral("first.png")));
  int prepared = 0;
  ExtraShot waiting = label_shot(QStringLiteral("waiting.png"), [&upload_running] { return upload_running; });
  waiting.prepare = [&prepared] { ++prepared; };
  run.add_shot(std::move(waiting));
  run.add_shot(label_shot(QStringLiteral("last.png")));
  run.start();

  const QDir shots(folder.path());
  ASSERT_TRUE(test::process_until([&] { return shots.exists(QStringLiteral("first.png")); }));
  for (int view = 0; view < kViewCount; ++view) {
    EXPECT_EQ(shots.entryList({QStringLiteral("main-view-%1-*.png").arg(view)}).size(), 1) << view;
  }
  // Later shots wait behind the one that is not ready, and the run does not end.
  test::process_until([] { return false; }, 1000);
  EXPECT_FALSE(shots.exists(QStringLiteral("waiting.png")));
  EXPECT_FALSE(shots.exists(QStringLiteral("last.png")));
  EXPECT_EQ(exits, 0);
  EXPECT_EQ(prepared, 1) << "the scene is set once, before the wait";

  upload_running = true;
  ASSERT_TRUE(test::process_until([&] { return exits > 0; }));
  EXPECT_TRUE(shots.exists(QStringLiteral("waiting.png")));
  EXPECT_TRUE(shots.exists(QStringLiteral("last.png")));
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(prepared, 1);
}

}  // namespace
}  // namespace dovel::ui
