#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "ui/service/login_connector.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace dovel::settings {
class SettingsRegistry;
}

namespace dovel::ui {

class MessageSink;

struct LoginDialogSetup {
  // Where "AutoLogin", the last ID ("data1") and the kept password ("data2") live.
  settings::SettingsRegistry* registry = nullptr;
  LoginConnector connect;
  MessageSink* messages = nullptr;
  // Opens a page of the web host (an address below it) in the main browser window.
  std::function<void(const std::string& page)> open_page;
  // What the caller fills in; with both, "connect" is pressed at once.
  std::string user_id;
  std::string password;
};

// The login window: ID, password, automatic login, "connect". It closes
// accepted once the service took the login, and cancelled when the user gives
// up or the account turned out to be suspended.
class CLoginDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kSignUpPage = "/user/ins_user_before.html?q_left_menu=user";
  static constexpr const char* kPasswordPage = "/user/chk_password2.html?q_left_menu=user";
  static constexpr const char* kAutoLoginWarning =
      "자동로그인은 비밀번호를 암호화하여 저장합니다.\r\n\r\n게임방, 학원, 학교등 PC를 공동으로 사용하는 장소에서는\r\n"
      "자동로그인을 사용하지 않는 것이 안전합니다.";

  explicit CLoginDialog(LoginDialogSetup setup, QWidget* parent = nullptr);
  ~CLoginDialog() override;

  // "접속(&L)": logs in with what is typed; nothing while a login is under way.
  void press_connect();
  bool connecting() const { return connecting_; }

  QLineEdit* id_box() const { return id_; }
  QLineEdit* password_box() const { return password_; }
  QCheckBox* auto_login_box() const { return auto_login_; }
  QPushButton* connect_button() const { return connect_; }
  QPushButton* cancel_button() const { return cancel_; }
  QPushButton* sign_up_button() const { return sign_up_; }
  QPushButton* password_button() const { return find_password_; }

 private:
  void fill_from_settings();
  void auto_login_toggled(bool checked);
  void open_page_and_close(const char* page);
  void finish(const service::SignIn& outcome);
  void set_busy(bool busy);
  void keep_auto_login_choice();

  LoginDialogSetup setup_;
  QLineEdit* id_;
  QLineEdit* password_;
  QCheckBox* auto_login_;
  QPushButton* connect_;
  QPushButton* cancel_;
  QPushButton* sign_up_;
  QPushButton* find_password_;
  bool connecting_ = false;
};

}  // namespace dovel::ui
