#include "service_login_connector.h"

#include <QMetaObject>

#include <chrono>
#include <future>
#include <memory>

#include "base/string_printf.h"
#include "service/auth_client.h"
#include "ui/controls/message_sink.h"

namespace dovel::ui::test {
namespace {

constexpr auto kAnswerPoll = std::chrono::milliseconds(50);

}  // namespace

ServiceLoginConnector::ServiceLoginConnector(ServiceLoginSetup setup, QObject* parent) : QObject(parent), setup_(std::move(setup)) {}

ServiceLoginConnector::~ServiceLoginConnector() {
  closing_ = true;
  if (worker_.joinable()) worker_.join();
}

LoginConnector ServiceLoginConnector::connector() {
  return [this](const LoginEntry& entry, LoginDone done) { connect_login(entry, std::move(done)); };
}

void ServiceLoginConnector::connect_login(const LoginEntry& entry, LoginDone done) {
  if (running_.exchange(true)) {
    done(service::SignIn{});
    return;
  }
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread([this, entry, done = std::move(done)] {
    const service::SignInRequest request{entry.user_id, entry.password, entry.auto_login, setup_.allow_memo, setup_.web_base};
    service::SignIn outcome = service::sign_in(*setup_.auth, *setup_.session, *setup_.registry, request,
                                               [this](const std::string& user_id) { return ask_takeover(user_id); });
    running_ = false;
    QMetaObject::invokeMethod(this, [done, outcome] { done(outcome); }, Qt::QueuedConnection);
  });
}

// On the worker: the question goes to the GUI thread, and the worker waits for
// the answer or for this connector to go (a missing answer is "no").
bool ServiceLoginConnector::ask_takeover(const std::string& user_id) {
  if (setup_.messages == nullptr) return false;
  auto answer = std::make_shared<std::promise<bool>>();
  std::future<bool> answered = answer->get_future();
  const QString question = QString::fromStdString(
      base::string_printf("'%s'님은 이미 접속상태입니다.\r\n\r\n기존 연결을 종료하시고 접속하시겠습니까?", user_id.c_str()));
  MessageSink* messages = setup_.messages;
  QMetaObject::invokeMethod(this, [answer, messages, question] { answer->set_value(messages->ask(nullptr, question)); }, Qt::QueuedConnection);
  while (answered.wait_for(kAnswerPoll) != std::future_status::ready) {
    if (closing_) return false;
  }
  try {
    return answered.get();
  } catch (const std::future_error&) {
    return false;  // the question never ran: the connector is going
  }
}

}  // namespace dovel::ui::test
