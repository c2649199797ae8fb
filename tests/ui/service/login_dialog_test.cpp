// The login window against the stand-in service, on a loopback address of the test's own.
#include "ui/service/login_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "central/central_service.h"
#include "platform/registry_store.h"
#include "service/auth_client.h"
#include "service/auth_messages.h"
#include "settings/setting_table.h"
#include "support/loopback_address.h"
#include "support/temp_folder.h"
#include "ui/recording_message_sink.h"
#include "service_login_connector.h"
#include "util/current_user.h"
#include "util/log_files.h"

namespace dovel::ui {
namespace {

// Runs Qt's event loop until the condition holds, at most 20 s.
bool process_until(const std::function<bool()>& condition) {
  QElapsedTimer waited;
  waited.start();
  while (!condition() && waited.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return condition();
}

class LoginDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    util::ConfigureLogFiles(temp.path(), platform::system_clock());
    const std::string address = platform::format_ipv4(dovel::test::unique_loopback_address());
    config.home = temp / "central";
    config.service = service::ServiceConfig::defaults();
    config.service.host_a = config.service.host_b = *platform::parse_ipv4(address);
    config.service.web_base = "http://" + address + ":11080";
    central = std::make_unique<central::CentralService>(config);
    ASSERT_TRUE(central->accounts().add({"alice", "secret", "앨리스", 3, true}) == central::AccountStore::Change::Done);
    std::string error;
    ASSERT_TRUE(central->start(&error)) << error;
    endpoints = config.service.endpoints();
    endpoints.bind_address = *platform::parse_ipv4(address);
    auth = std::make_unique<service::AuthClient>(endpoints, session, nullptr);
    connector = std::make_unique<test::ServiceLoginConnector>(
        test::ServiceLoginSetup{auth.get(), &session, &registry, &messages, endpoints.web_base, true});
  }
  void TearDown() override {
    connector.reset();
    auth.reset();
    central.reset();
    util::SetCurrentUserId(util::kGuestUserId);
  }

  std::unique_ptr<CLoginDialog> open_dialog(std::string user_id = {}, std::string password = {}) {
    LoginDialogSetup setup;
    setup.registry = &registry;
    setup.connect = connector->connector();
    setup.messages = &messages;
    setup.open_page = [this](const std::string& page) { opened_pages.push_back(page); };
    setup.user_id = std::move(user_id);
    setup.password = std::move(password);
    return std::make_unique<CLoginDialog>(std::move(setup));
  }

  // Types the ID and password and presses "connect"; waits until the login ended.
  bool connect_with(CLoginDialog& dialog, const QString& user_id, const QString& password) {
    dialog.id_box()->setText(user_id);
    dialog.password_box()->setText(password);
    QTest::mouseClick(dialog.connect_button(), Qt::LeftButton);
    return process_until([&] { return !dialog.connecting(); });
  }

  dovel::test::TempFolder temp;
  central::CentralConfig config;
  std::unique_ptr<central::CentralService> central;
  service::ServiceEndpoints endpoints;
  service::ServiceSession session;
  std::unique_ptr<service::AuthClient> auth;
  platform::RegistryStore store{temp / "config"};
  settings::SettingsRegistry registry{store};
  test::RecordingMessageSink messages;
  std::unique_ptr<test::ServiceLoginConnector> connector;
  std::vector<std::string> opened_pages;
};

TEST_F(LoginDialogTest, AFailedLoginShowsItsTextAndTheWindowStaysOpen) {
  struct Case {
    const char* user_id;
    const char* password;
    const char* text;
    bool password_cleared;
  };
  const Case cases[] = {
      {"alice", "wrong", "로그인실패: 암호가 일치하지않습니다. 암호를 확인하세요.", true},
      {"nobody", "secret", "로그인실패: 가입된 사용자가 아닙니다.", false},
      {"sixteen-letters!", "secret", "로그인실패: ID가 15자가 넘었거나 또는 Password가 15자가 넘습니다.", false},
  };
  auto dialog = open_dialog();
  dialog->show();
  for (const Case& c : cases) {
    messages.informed.clear();
    ASSERT_TRUE(connect_with(*dialog, QString::fromUtf8(c.user_id), QString::fromUtf8(c.password))) << c.user_id;
    EXPECT_EQ(messages.informed, QStringList{QString::fromUtf8(c.text)}) << c.user_id;
    EXPECT_EQ(dialog->password_box()->text().isEmpty(), c.password_cleared) << c.user_id;
    EXPECT_TRUE(dialog->isVisible()) << c.user_id;
    EXPECT_EQ(dialog->result(), QDialog::Rejected) << c.user_id;
  }
  EXPECT_FALSE(session.logged_in());
  EXPECT_FALSE(auth->connected());
}

TEST_F(LoginDialogTest, TheIdIsSentInLowerCaseAndASuccessClosesTheWindowAccepted) {
  auto dialog = open_dialog();
  dialog->show();
  ASSERT_TRUE(connect_with(*dialog, QStringLiteral("Alice"), QStringLiteral("secret")));
  EXPECT_EQ(dialog->id_box()->text(), QStringLiteral("alice"));
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_TRUE(messages.informed.empty());
  EXPECT_TRUE(auth->connected());
  EXPECT_EQ(registry.read(settings::kStoredUserId), "alice");
  EXPECT_EQ(registry.read(settings::kStoredPassword), "") << "no password kept without automatic login";
}

TEST_F(LoginDialogTest, EmptyFieldsAskNothingOfTheService) {
  auto dialog = open_dialog();
  dialog->id_box()->setText(QStringLiteral("alice"));
  QTest::mouseClick(dialog->connect_button(), Qt::LeftButton);
  EXPECT_FALSE(dialog->connecting());
  EXPECT_TRUE(messages.informed.empty());
  EXPECT_EQ(dovel::test::read_file(central->request_log_file()), "");
}

TEST_F(LoginDialogTest, AutomaticLoginKeepsThePasswordAndConnectsAtOnceNextTime) {
  {
    auto dialog = open_dialog();
    dialog->auto_login_box()->setChecked(true);
    EXPECT_EQ(messages.informed, QStringList{QString::fromUtf8(CLoginDialog::kAutoLoginWarning)});
    ASSERT_TRUE(connect_with(*dialog, QStringLiteral("alice"), QStringLiteral("secret")));
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(registry.read(settings::kStoredPassword), "secret");
  }
  EXPECT_TRUE(registry.read(settings::kAutoLogin));
  auth->close();
  messages.answer = true;  // the service may not have seen the first session end yet

  auto again = open_dialog();
  EXPECT_EQ(again->id_box()->text(), QStringLiteral("alice"));
  EXPECT_EQ(again->password_box()->text(), QStringLiteral("secret"));
  ASSERT_TRUE(process_until([&] { return again->result() == QDialog::Accepted; })) << "connected without a click";

  again->auto_login_box()->setChecked(false);
  EXPECT_EQ(registry.read(settings::kStoredPassword), "") << "switching it off forgets the password";
  again.reset();
  EXPECT_FALSE(registry.read(settings::kAutoLogin));
}

TEST_F(LoginDialogTest, WithoutAutomaticLoginTheWindowForgetsAStoredPassword) {
  registry.write(settings::kStoredUserId, "alice");
  registry.write(settings::kStoredPassword, "secret");
  auto dialog = open_dialog();
  EXPECT_EQ(dialog->id_box()->text(), QStringLiteral("alice"));
  EXPECT_TRUE(dialog->password_box()->text().isEmpty());
  EXPECT_EQ(registry.read(settings::kStoredPassword), "");
  QCoreApplication::processEvents();
  EXPECT_FALSE(dialog->connecting()) << "nothing is pressed for the user";
}

TEST_F(LoginDialogTest, DecliningTheDuplicateLoginQuestionShowsNoBox) {
  service::ServiceSession first_session;
  service::AuthClient first(endpoints, first_session, nullptr);
  ASSERT_EQ(first.login("alice", "secret", true, false).result, service::kLoginOk);

  auto dialog = open_dialog();
  messages.answer = false;
  ASSERT_TRUE(connect_with(*dialog, QStringLiteral("alice"), QStringLiteral("secret")));
  EXPECT_EQ(messages.asked, QStringList{QString::fromUtf8("'alice'님은 이미 접속상태입니다.\r\n\r\n기존 연결을 종료하시고 접속하시겠습니까?")});
  EXPECT_TRUE(messages.informed.empty());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_TRUE(first.connected());

  messages.answer = true;
  ASSERT_TRUE(connect_with(*dialog, QStringLiteral("alice"), QStringLiteral("secret")));
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(LoginDialogTest, ClosingWhileTheDuplicateQuestionWaitsEndsTheLoginWithoutAnswer) {
  service::ServiceSession first_session;
  service::AuthClient first(endpoints, first_session, nullptr);
  ASSERT_EQ(first.login("alice", "secret", true, false).result, service::kLoginOk);

  bool reported = false;
  connector->connect_login({"alice", "secret", false}, [&](const service::SignIn&) { reported = true; });
  connector.reset();  // the question was never shown: the worker gives up on it
  QCoreApplication::processEvents();
  EXPECT_TRUE(messages.asked.empty());
  EXPECT_FALSE(reported);
  EXPECT_TRUE(first.connected());
  EXPECT_FALSE(session.logged_in());
}

TEST_F(LoginDialogTest, ASuspendedAccountShowsTheNoticeAndClosesCancelled) {
  ASSERT_EQ(central->accounts().update("alice", {.warning_level = uint8_t{2}, .suspension_kind = uint8_t{1},
                                              .warning_text = std::string("불법 자료 공유")}),
            central::AccountStore::Change::Done);
  auto dialog = open_dialog();
  dialog->show();
  ASSERT_TRUE(connect_with(*dialog, QStringLiteral("alice"), QStringLiteral("secret")));
  EXPECT_EQ(messages.notices, QStringList{QString::fromUtf8("사용중지 내역이 있습니다.\r\n\r\n\r\n불법 자료 공유")});
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(LoginDialogTest, TheWebPageButtonsOpenTheirPageAndCloseTheWindow) {
  for (auto [button, page] : {std::pair{&CLoginDialog::sign_up_button, CLoginDialog::kSignUpPage},
                              std::pair{&CLoginDialog::password_button, CLoginDialog::kPasswordPage}}) {
    opened_pages.clear();
    auto dialog = open_dialog();
    dialog->show();
    QTest::mouseClick(((*dialog).*button)(), Qt::LeftButton);
    EXPECT_EQ(opened_pages, std::vector<std::string>{page});
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
  }
}

}  // namespace
}  // namespace dovel::ui
