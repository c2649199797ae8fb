#pragma once

#include <QObject>

#include <atomic>
#include <string>
#include <thread>

#include "ui/controls/message_sink.h"
#include "ui/service/login_connector.h"

namespace dovel::settings {
class SettingsRegistry;
}
namespace dovel::service {
class AuthClient;
class ServiceSession;
}  // namespace dovel::service

namespace dovel::ui::test {

struct ServiceLoginSetup {
  service::AuthClient* auth = nullptr;
  service::ServiceSession* session = nullptr;
  settings::SettingsRegistry* registry = nullptr;
  // Asks the duplicate-login question on the GUI thread.
  MessageSink* messages = nullptr;
  std::string web_base;
  bool allow_memo = true;
};

// Logs in straight through the authentication client, on a worker thread of
// its own, so that the login window can be tested against the stand-in service
// without a whole hub (the program's logins go through SignInRelay). The
// duplicate-login question is asked on the GUI thread; the outcome comes back there.
class ServiceLoginConnector final : public QObject {
 public:
  explicit ServiceLoginConnector(ServiceLoginSetup setup, QObject* parent = nullptr);
  ~ServiceLoginConnector() override;

  // One login at a time; a second one while the first runs is answered at once with no result.
  void connect_login(const LoginEntry& entry, LoginDone done);
  LoginConnector connector();

 private:
  bool ask_takeover(const std::string& user_id);

  ServiceLoginSetup setup_;
  std::thread worker_;
  std::atomic<bool> closing_{false};
  std::atomic<bool> running_{false};
};

}  // namespace dovel::ui::test
