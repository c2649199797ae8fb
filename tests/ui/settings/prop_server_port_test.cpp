#include "ui/settings/prop_server_port.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>

#include "platform/socket.h"
#include "settings_page_fixture.h"
#include "support/eventually.h"
#include "support/loopback_address.h"
#include "support/scripted_peer.h"

namespace dovel::ui {
namespace {

const QString kRange = QStringLiteral("포트번호는 1 ~ 65535까지의 숫자이어야 합니다..!!");

class PropServerPortTest : public test::SettingsPageTest {
 protected:
  std::unique_ptr<CPropServerPort> open_page() { return std::make_unique<CPropServerPort>(settings, messages, hooks); }
};

TEST_F(PropServerPortTest, PortsOutsideTheRangeAreRefusedByTestAndApply) {
  auto page = open_page();
  EXPECT_EQ(page->port_edit()->text(), QStringLiteral("9910"));
  EXPECT_FALSE(page->firewall_button()->isEnabled());
  for (const QString& typed : {QStringLiteral("0"), QStringLiteral("70000"), QString(), QStringLiteral("9x")}) {
    messages.informed.clear();
    page->port_edit()->setText(typed);
    EXPECT_FALSE(page->apply()) << typed.toStdString();
    page->start_test();
    EXPECT_FALSE(page->test_running());
    EXPECT_EQ(messages.informed, (QStringList{kRange, kRange})) << typed.toStdString();
  }
  EXPECT_EQ(settings.values().share_port, 9910u) << "nothing stored";
}

TEST_F(PropServerPortTest, ApplyStoresThePortAndSaysWhenItChanged) {
  auto page = open_page();
  ASSERT_TRUE(page->apply());
  EXPECT_TRUE(messages.informed.isEmpty()) << "the same port is no change";
  page->port_edit()->setText(QStringLiteral("65535"));
  ASSERT_TRUE(page->apply());
  EXPECT_EQ(messages.informed, QStringList{QStringLiteral("공유포트가 변경되었습니다. 프로그램을 종료후 다시 시작해주시기 바랍니다.")});
  settings::Settings reloaded(store, home.path());
  reloaded.Load();
  EXPECT_EQ(reloaded.values().share_port, 65535u);
}

// A TCP listener on all addresses, holding a port the test then finds in use.
struct HeldPort {
  HeldPort() {
    socket.reset(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(socket.get(), 1) != 0) return;
    socklen_t length = sizeof address;
    if (::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &length) == 0) port = ntohs(address.sin_port);
  }
  platform::UniqueFd socket;
  uint16_t port = 0;
};

TEST_F(PropServerPortTest, TheTestRunsOnAWorkerAndWritesItsLines) {
  HeldPort held;
  ASSERT_NE(held.port, 0);
  // Nothing listens at these endpoints: every connection is refused at once.
  const platform::Ipv4 nobody = dovel::test::unique_loopback_address();
  hooks.port_test_endpoints.port_test = {service::Endpoint{nobody, 1}, service::Endpoint{nobody, 1}};
  hooks.port_test_timing.connect_ms = 2000;
  auto page = open_page();
  page->result_box()->setPlainText(QStringLiteral("지난 결과"));
  page->port_edit()->setText(QString::number(held.port));
  page->start_test();
  EXPECT_TRUE(page->test_running()) << "the GUI goes on while the worker tests";
  EXPECT_FALSE(page->test_button()->isEnabled());
  page->start_test();  // ignored while one runs
  ASSERT_TRUE(test::process_until([&] { return !page->test_running(); }));
  const QString port = QString::number(held.port);
  EXPECT_EQ(page->result_box()->toPlainText(),
            QStringList({QStringLiteral("TCP를 검사합니다."), QStringLiteral("TCP %1포트: 이미 사용중 - 본 프로그램일수도 있음").arg(port),
                         QStringLiteral("UDP를 검사합니다."), QStringLiteral("UDP %1포트: 서버접속불가").arg(port)})
                .join('\n'));
  EXPECT_TRUE(page->test_button()->isEnabled());
  EXPECT_TRUE(messages.informed.isEmpty());
}

// Whether a TCP listener on all addresses can take the port now (without
// SO_REUSEADDR, so that another listener on it makes this fail).
bool port_free(uint16_t port) {
  platform::UniqueFd socket(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  return ::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(socket.get(), 1) == 0;
}

// The settings sheet closes, or the program ends, with a test under way: the
// page waits for the part that runs (its own deadlines bound the wait) and
// starts no other, so nothing of the test is left running once the page is gone.
TEST_F(PropServerPortTest, ClosingThePageEndsItsTestThread) {
  std::atomic<int> requests{0};
  // A test server that takes each request and never answers it.
  dovel::test::ScriptedPeer silent([&](int connection) {
    ++requests;
    dovel::test::read_until_closed(connection);
  });
  hooks.port_test_endpoints.port_test = {service::Endpoint{silent.address(), silent.port()},
                                         service::Endpoint{silent.address(), silent.port()}};
  hooks.port_test_timing.connect_back_wait_ms = 100;
  hooks.port_test_timing.tcp_reply_read_ms = 1500;
  hooks.port_test_timing.reply_total_ms = 1500;
  hooks.port_test_timing.probe_wait_ms = 1500;
  uint16_t port = 0;
  {
    HeldPort probe;
    port = probe.port;
  }
  ASSERT_NE(port, 0);

  auto page = open_page();
  page->port_edit()->setText(QString::number(port));
  page->start_test();
  // The TCP test listens on the port before it asks the test server.
  ASSERT_TRUE(dovel::test::eventually([&] { return requests.load() == 1; }));
  ASSERT_FALSE(port_free(port));
  page.reset();
  EXPECT_TRUE(port_free(port)) << "the test's sockets went with the page";
  EXPECT_EQ(requests.load(), 1) << "no UDP test once the page is gone";
  // What the test had queued for the page is dropped with it.
  QCoreApplication::processEvents();
}

}  // namespace
}  // namespace dovel::ui
