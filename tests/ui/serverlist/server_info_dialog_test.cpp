#include "ui/serverlist/server_info_dialog.h"

#include <QLabel>
#include <QPointer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "ui/serverlist/server_list_fixture.h"

namespace dovel::ui {
namespace {

std::string shown(const QLabel* label) { return label->text().toStdString(); }

TEST(ServerInfoDialogTest, ShowsTheFourFieldsOfTheAnswer) {
  std::thread::id asked_on;
  std::string asked_address;
  uint16_t asked_port = 0;
  CServerInfoDialog dialog("10.1.2.3", 9910, [&](const std::string& address, uint16_t port) -> std::optional<browse::ServerInfo> {
    asked_on = std::this_thread::get_id();
    asked_address = address;
    asked_port = port;
    return browse::ServerInfo{"주인장", 10, 2, "5.50"};
  });
  EXPECT_EQ(dialog.windowTitle().toStdString(), "서버정보");
  ASSERT_TRUE(test::process_until([&] { return dialog.settled(); }));
  EXPECT_NE(asked_on, std::this_thread::get_id()) << "asked off the GUI thread";
  EXPECT_EQ(asked_address, "10.1.2.3");
  EXPECT_EQ(asked_port, 9910);
  EXPECT_EQ(shown(dialog.id_value()), "주인장");
  EXPECT_EQ(shown(dialog.transfers_value()), "2 / 10");
  EXPECT_EQ(shown(dialog.speed_value()), "5.50 K");
  EXPECT_EQ(shown(dialog.status_line()), "");
}

TEST(ServerInfoDialogTest, FailureIsOnePlainLine) {
  CServerInfoDialog dialog("10.1.2.3", 9910, [](const std::string&, uint16_t) { return std::optional<browse::ServerInfo>(); });
  ASSERT_TRUE(test::process_until([&] { return dialog.settled(); }));
  EXPECT_EQ(shown(dialog.status_line()), "서버정보를 가져올 수 없습니다.");
  EXPECT_EQ(shown(dialog.id_value()), "");
  EXPECT_EQ(shown(dialog.transfers_value()), "");

  CServerInfoDialog unbound("10.1.2.3", 9910, {});
  EXPECT_TRUE(unbound.settled());
  EXPECT_EQ(shown(unbound.status_line()), "서버정보를 가져올 수 없습니다.");
}

TEST(ServerInfoDialogTest, ClosedWhileTheQuestionRuns) {
  std::mutex lock;
  std::condition_variable changed;
  bool entered = false;
  bool released = false;
  auto* dialog = new CServerInfoDialog("10.1.2.3", 9910, [&](const std::string&, uint16_t) -> std::optional<browse::ServerInfo> {
    std::unique_lock guard(lock);
    entered = true;
    changed.notify_all();
    changed.wait(guard, [&] { return released; });
    return browse::ServerInfo{"late", 1, 0, "0.00"};
  });
  EXPECT_EQ(shown(dialog->status_line()), "서버정보를 가져오는 중입니다...");
  {
    std::unique_lock guard(lock);
    ASSERT_TRUE(changed.wait_for(guard, std::chrono::seconds(20), [&] { return entered; }));
  }
  QPointer<QThread> worker = dialog->findChild<QThread*>();
  ASSERT_TRUE(worker);
  delete dialog;
  {
    std::lock_guard guard(lock);
    released = true;
  }
  changed.notify_all();
  EXPECT_TRUE(test::process_until([&] { return worker.isNull(); })) << "the worker goes once its question ended";
}

}  // namespace
}  // namespace dovel::ui
