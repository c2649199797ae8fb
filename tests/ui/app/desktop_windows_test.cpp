#include <QCoreApplication>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "app/dovel_app.h"
#include "core/message_ids.h"
#include "mainframe/status_log.h"
#include "support/loopback_address.h"
#include "support/temp_folder.h"
#include "ui/app/desktop_windows.h"
#include "ui/app/qt_message_loop.h"
#include "ui/mainframe/gui_wait.h"
#include "ui/mainframe/qt_front.h"
#include "ui/recording_message_sink.h"

namespace dovel::ui {
namespace {

server::PortTestTiming short_port_test() {
  server::PortTestTiming timing;
  timing.connect_ms = 200;
  timing.connect_back_wait_ms = 200;
  timing.tcp_reply_read_ms = 200;
  timing.probe_wait_ms = 200;
  timing.udp_reply_read_ms = 200;
  timing.reply_total_ms = 400;
  return timing;
}

// Keeps the mode of every hashing run that ends, and hands each message on.
class HashEndRecorder final : public core::MessageHandler {
 public:
  explicit HashEndRecorder(core::MessageHandler& next) : next_(next) {}
  void on_message(core::Message& message) override {
    if (message.id == core::UM_HASH_DONE) modes.push_back(message.wparam);
    next_.on_message(message);
  }
  void on_timer(core::TimerId id) override { next_.on_timer(id); }

  std::vector<uint64_t> modes;

 private:
  core::MessageHandler& next_;
};

// A running application on a fresh data home whose service is not there: the
// windows are made over it as the program makes them.
class DesktopWindowsTest : public ::testing::Test {
 protected:
  DesktopWindowsTest() : front(boxes) {
    const platform::Ipv4 address = dovel::test::unique_loopback_address();
    app::AppSetup setup;
    setup.home = {folder.path(), folder / "config"};
    setup.bind_address = address;
    setup.service_host = address;
    setup.loop = &loop;
    setup.front = &front;
    setup.prompt = &front;
    setup.status_log = &status_log;
    setup.port_test_timing = short_port_test();
    application = std::make_unique<app::CDovelApp>(setup);
  }

  void SetUp() override {
    ASSERT_EQ(application->InitInstance(), app::StartOutcome::Running);
    windows = std::make_unique<DesktopWindows>(*application, folder.path(), "/usr/bin/dovel", messages);
    loop.attach(&windows->message_handler());
  }

  void TearDown() override {
    loop.attach(nullptr);
    windows.reset();
  }

  dovel::test::TempFolder folder;
  test::RecordingMessageSink boxes;
  test::RecordingMessageSink messages;
  QtMessageLoop loop;
  QtFront front;
  mainframe::StatusLog status_log;
  std::unique_ptr<app::CDovelApp> application;
  std::unique_ptr<DesktopWindows> windows;
};

TEST_F(DesktopWindowsTest, SettingsHooksReachTheRunningApplication) {
  const SettingsSheetHooks hooks = windows->settings_hooks();
  EXPECT_TRUE(hooks.pick_folder);
  EXPECT_TRUE(hooks.open_path);
  EXPECT_EQ(hooks.program_folder, folder.path());
  EXPECT_EQ(hooks.web_base, application->endpoints().web_base);
  EXPECT_EQ(hooks.port_test_endpoints.web_base, application->endpoints().web_base);
  EXPECT_EQ(hooks.executable, "/usr/bin/dovel");
  EXPECT_NE(hooks.share_database, nullptr);
  ASSERT_TRUE(hooks.hashing_active);
  EXPECT_FALSE(hooks.hashing_active());
  // Nothing is connected: the memo choice cannot be sent.
  ASSERT_TRUE(hooks.send_allow_memo);
  EXPECT_FALSE(hooks.send_allow_memo(true));
  EXPECT_TRUE(hooks.send_server_subject);
  EXPECT_TRUE(hooks.send_ultra_turbo);
  EXPECT_TRUE(hooks.start_full_hashing);
}

// The sheet shows and stores the very settings the hub reads, not a copy of the store.
TEST_F(DesktopWindowsTest, TheSettingsSheetWorksOnTheApplicationsOwnSettings) {
  application->settings().update([](settings::StoredSettings& values) { values.max_upload = 5; });
  std::unique_ptr<CSettingsSheet> sheet = windows->make_settings_sheet(nullptr);
  ASSERT_TRUE(sheet->apply_all()) << messages.informed.join(QStringLiteral(" | ")).toStdString();
  EXPECT_EQ(application->settings().values().max_upload, 5u);
}

TEST_F(DesktopWindowsTest, OneLoginWindowAtATime) {
  CLoginDialog* first = windows->open_login(nullptr);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(windows->open_login(nullptr), first);
  EXPECT_EQ(windows->login_window(), first);

  first->reject();
  ASSERT_TRUE(test::process_until([&] {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return windows->login_window() == nullptr;
  }));
  CLoginDialog* second = windows->open_login(nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(windows->login_window(), second);
}

TEST_F(DesktopWindowsTest, TheLoginWindowLearnsHowTheHubsLoginEnded) {
  CLoginDialog* dialog = windows->open_login(nullptr);
  ASSERT_NE(dialog, nullptr);
  dialog->id_box()->setText(QStringLiteral("someone"));
  dialog->password_box()->setText(QStringLiteral("secret"));
  dialog->press_connect();
  EXPECT_TRUE(dialog->connecting());
  // The service is not there: the window, not the hub, tells why the login failed.
  ASSERT_TRUE(test::process_until([&] { return !dialog->connecting(); }));
  EXPECT_EQ(messages.informed.size(), 1);
  EXPECT_TRUE(boxes.informed.isEmpty()) << boxes.informed.join(QStringLiteral(" | ")).toStdString();
  EXPECT_TRUE(dialog->isVisible());
}

// The share server reads the folder list on every request: a changed list is
// hashed in the mode that leaves the server, its browses and uploads running.
TEST_F(DesktopWindowsTest, TheFolderPagesHashingKeepsTheShareServerRunning) {
  HashEndRecorder recorder(windows->message_handler());
  loop.attach(&recorder);
  windows->settings_hooks().start_full_hashing();
  ASSERT_TRUE(test::process_until([&] { return !recorder.modes.empty(); }));
  EXPECT_EQ(recorder.modes, std::vector<uint64_t>{0});
  loop.attach(&windows->message_handler());
}

TEST_F(DesktopWindowsTest, UploadPaneCommandsAreTheLocalServersOnly) {
  const UploadPaneCommands commands = windows->upload_commands();
  ASSERT_TRUE(commands.disconnect_peer);
  ASSERT_TRUE(commands.close_upload);
  EXPECT_FALSE(commands.disconnect_peer(12345));
  EXPECT_FALSE(commands.close_upload(12345));
  EXPECT_FALSE(commands.explore);
  EXPECT_FALSE(commands.chat);
  EXPECT_FALSE(commands.block);
  EXPECT_FALSE(commands.message_uploaders);
}

// A start that finds a file of no download in the temporary folder asks about
// it once it has run (answered "no" here: nothing is opened).
class DesktopStartWithLeftoversTest : public DesktopWindowsTest {
 protected:
  void SetUp() override {
    folder.write("Download/_DTEMP_/[DOVEL]stray.bin", "left behind");
    boxes.answer = false;
    DesktopWindowsTest::SetUp();
  }
};

TEST_F(DesktopStartWithLeftoversTest, TheStartAsksWhetherToOpenTheTemporaryFolder) {
  auto asked_about_leftovers = [&] {
    for (const QString& question : boxes.asked) {
      if (question.startsWith(QString::fromUtf8("임시폴더에 정리되지 않은 파일들이 있습니다."))) return question;
    }
    return QString();
  };
  ASSERT_TRUE(test::process_until([&] { return !asked_about_leftovers().isEmpty(); })) << boxes.asked.join("|").toStdString();
  EXPECT_TRUE(asked_about_leftovers().contains(QStringLiteral("[DOVEL]stray.bin(11)\r\n")));
  EXPECT_TRUE(asked_about_leftovers().endsWith(QString::fromUtf8("탐색기로 확인하시겠습니까?")));
}

}  // namespace
}  // namespace dovel::ui
