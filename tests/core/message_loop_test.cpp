#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/message_loop.h"

namespace dovel::core {
namespace {

struct Recorder final : MessageHandler {
  void on_message(Message& message) override { messages.push_back(message.id); }
  void on_timer(TimerId id) override { timers.push_back(id); }
  std::vector<MessageId> messages;
  std::vector<TimerId> timers;
};

TEST(PlainMessageLoop, MessagesFromOtherThreadsArriveInOrder) {
  PlainMessageLoop loop;
  Recorder recorder;
  std::thread poster([&loop] {
    for (MessageId id = 1; id <= 100; ++id) loop.post({id, 0, 0, nullptr});
  });
  poster.join();
  loop.run_for(recorder, 50);
  ASSERT_EQ(recorder.messages.size(), 100u);
  for (MessageId id = 1; id <= 100; ++id) EXPECT_EQ(recorder.messages[id - 1], id);
}

TEST(PlainMessageLoop, TimersTickUntilKilledAndARepeatReplacesThePeriod) {
  PlainMessageLoop loop;
  Recorder recorder;
  loop.set_timer(7, 10);
  loop.set_timer(8, 3600000);
  loop.run_for(recorder, 200);
  EXPECT_GE(recorder.timers.size(), 2u);
  for (TimerId id : recorder.timers) EXPECT_EQ(id, 7u) << "the hour-long timer never came";
  loop.kill_timer(7);
  EXPECT_FALSE(loop.timer_running(7));
  recorder.timers.clear();
  loop.run_for(recorder, 50);
  EXPECT_TRUE(recorder.timers.empty());
  loop.set_timer(8, 10);
  loop.run_for(recorder, 200);
  EXPECT_FALSE(recorder.timers.empty()) << "setting a timer again gives it the new period";
}

TEST(PlainMessageLoop, QuitEndsRunAndDropsWhatComesAfter) {
  PlainMessageLoop loop;
  struct Quitter final : MessageHandler {
    explicit Quitter(PlainMessageLoop& loop) : loop(loop) {}
    void on_message(Message& message) override {
      ++handled;
      if (message.id == 2) loop.quit();
    }
    void on_timer(TimerId) override {}
    PlainMessageLoop& loop;
    int handled = 0;
  } quitter(loop);
  loop.post({1, 0, 0, nullptr});
  loop.post({2, 0, 0, nullptr});
  loop.post({3, 0, 0, nullptr});
  loop.run(quitter);
  EXPECT_EQ(quitter.handled, 2) << "what was queued behind the quit is dropped";
  loop.post({4, 0, 0, nullptr});
  EXPECT_TRUE(loop.run_for(quitter, 20));
  EXPECT_EQ(quitter.handled, 2);
}

}  // namespace
}  // namespace dovel::core
