#include "ui/app/qt_message_loop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace dovel::ui {
namespace {

class RecordingHandler final : public core::MessageHandler {
 public:
  void on_message(core::Message& message) override {
    threads.push_back(QThread::currentThread());
    ids.push_back(message.id);
  }
  void on_timer(core::TimerId id) override { ticks.push_back(id); }

  std::vector<QThread*> threads;
  std::vector<core::MessageId> ids;
  std::vector<core::TimerId> ticks;
};

// Runs Qt's event loop until the condition holds, at most 20 s.
bool process_until(const std::function<bool()>& condition) {
  QElapsedTimer waited;
  waited.start();
  while (!condition() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return condition();
}

TEST(QtMessageLoop, MessagesFromOtherThreadsReachTheHandlerOnTheGuiThreadInOrder) {
  QtMessageLoop loop;
  RecordingHandler handler;
  loop.attach(&handler);
  std::thread poster([&] {
    for (core::MessageId id = 1; id <= 100; ++id) loop.post({id, 0, 0, nullptr});
  });
  poster.join();
  ASSERT_TRUE(process_until([&] { return handler.ids.size() == 100; }));
  for (size_t i = 0; i < handler.ids.size(); ++i) EXPECT_EQ(handler.ids[i], i + 1);
  for (QThread* thread : handler.threads) EXPECT_EQ(thread, QCoreApplication::instance()->thread());
}

TEST(QtMessageLoop, TimersTickUntilKilledAndASecondSetReplacesThePeriod) {
  QtMessageLoop loop;
  RecordingHandler handler;
  loop.attach(&handler);
  loop.set_timer(7, 5);
  ASSERT_TRUE(process_until([&] { return handler.ticks.size() >= 3; }));
  EXPECT_TRUE(loop.timer_running(7));
  loop.set_timer(7, 60000);
  ASSERT_TRUE(process_until([&] { return loop.timer_running(7); }));
  const size_t before = handler.ticks.size();
  QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_LE(handler.ticks.size(), before + 1) << "the long period took the short one's place";
  loop.kill_timer(7);
  ASSERT_TRUE(process_until([&] { return !loop.timer_running(7); }));
}

TEST(QtMessageLoop, QuitDropsWhatComesAfterAndEndsTheEventLoop) {
  QtMessageLoop loop;
  RecordingHandler handler;
  loop.attach(&handler);
  loop.post({1, 0, 0, nullptr});
  loop.quit();
  loop.post({2, 0, 0, nullptr});
  EXPECT_EQ(QCoreApplication::exec(), 0);
  QCoreApplication::processEvents();
  EXPECT_TRUE(handler.ids.empty()) << "nothing is handled once quit was asked";
}

}  // namespace
}  // namespace dovel::ui
