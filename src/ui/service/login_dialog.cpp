#include "ui/service/login_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "base/text.h"
#include "service/auth_messages.h"
#include "service/stored_login.h"
#include "settings/setting_table.h"
#include "settings/settings_registry.h"
#include "ui/controls/message_sink.h"
#include "util/log_files.h"

namespace dovel::ui {
namespace {

constexpr int kFocusDelayMs = 30;
constexpr int kWrongPasswordReason = 2;

QString qt_text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CLoginDialog::CLoginDialog(LoginDialogSetup setup, QWidget* parent)
    : QDialog(parent),
      setup_(std::move(setup)),
      id_(new QLineEdit(this)),
      password_(new QLineEdit(this)),
      auto_login_(new QCheckBox(QStringLiteral("시작시 자동접속"), this)),
      connect_(new QPushButton(QStringLiteral("접속(&L)"), this)),
      cancel_(new QPushButton(QStringLiteral("취소(&C)"), this)),
      sign_up_(new QPushButton(QStringLiteral("회원가입(&R)"), this)),
      find_password_(new QPushButton(QStringLiteral("비번찾기"), this)) {
  setWindowTitle(QStringLiteral("Dovel"));
  password_->setEchoMode(QLineEdit::Password);
  connect_->setDefault(true);

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("아이디"), id_);
  fields->addRow(QStringLiteral("비밀번호"), password_);
  auto* pages = new QHBoxLayout;
  pages->addWidget(sign_up_);
  pages->addWidget(find_password_);
  pages->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(connect_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(auto_login_);
  layout->addLayout(pages);
  layout->addLayout(buttons);

  fill_from_settings();

  connect(connect_, &QPushButton::clicked, this, &CLoginDialog::press_connect);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(auto_login_, &QCheckBox::toggled, this, &CLoginDialog::auto_login_toggled);
  connect(sign_up_, &QPushButton::clicked, this, [this] { open_page_and_close(kSignUpPage); });
  connect(find_password_, &QPushButton::clicked, this, [this] { open_page_and_close(kPasswordPage); });
  sign_up_->setEnabled(static_cast<bool>(setup_.open_page));
  find_password_->setEnabled(static_cast<bool>(setup_.open_page));

  const bool prefilled = !setup_.user_id.empty() && !setup_.password.empty();
  if (prefilled || auto_login_->isChecked()) QTimer::singleShot(0, this, &CLoginDialog::press_connect);
  QTimer::singleShot(kFocusDelayMs, this, [this] {
    if (!id_->text().isEmpty()) password_->setFocus();
  });
}

CLoginDialog::~CLoginDialog() { keep_auto_login_choice(); }

void CLoginDialog::fill_from_settings() {
  if (setup_.registry != nullptr) {
    service::StoredLogin stored = service::read_stored_login(setup_.registry->reader());
    auto_login_->setChecked(stored.auto_login);
    id_->setText(qt_text(stored.user_id));
    if (stored.auto_login) {
      password_->setText(qt_text(stored.password));
    } else {
      setup_.registry->write(settings::kStoredPassword, "");
    }
  }
  if (!setup_.user_id.empty()) id_->setText(qt_text(setup_.user_id));
  if (!setup_.password.empty()) password_->setText(qt_text(setup_.password));
}

void CLoginDialog::auto_login_toggled(bool checked) {
  if (checked) {
    if (setup_.messages != nullptr) setup_.messages->inform(this, QString::fromUtf8(kAutoLoginWarning));
  } else if (setup_.registry != nullptr) {
    setup_.registry->write(settings::kStoredPassword, "");
  }
}

// What the user chose is kept for the next start; a password stays stored only with it.
void CLoginDialog::keep_auto_login_choice() {
  if (setup_.registry == nullptr) return;
  const bool on = auto_login_->isChecked();
  setup_.registry->edit([on](settings::SettingsRegistry::Writer& writer) { service::set_auto_login(writer, on); });
}

void CLoginDialog::open_page_and_close(const char* page) {
  if (setup_.open_page) setup_.open_page(page);
  reject();
}

void CLoginDialog::press_connect() {
  if (connecting_ || !setup_.connect) return;
  const std::string typed_id = id_->text().toStdString();
  const std::string password = password_->text().toStdString();
  if (typed_id.empty() || password.empty()) {
    util::LogSystem("아이디와 암호를 입력하세요.");
    return;
  }
  const std::string user_id = base::ascii_lower(typed_id);
  id_->setText(qt_text(user_id));
  set_busy(true);
  QPointer<CLoginDialog> alive(this);
  setup_.connect(LoginEntry{user_id, password, auto_login_->isChecked()}, [alive](const service::SignIn& outcome) {
    if (alive) alive->finish(outcome);
  });
}

void CLoginDialog::finish(const service::SignIn& outcome) {
  set_busy(false);
  if (outcome.result == service::kLoginOk) {
    if (!outcome.warning_notice.empty() && setup_.messages != nullptr) setup_.messages->notice(this, qt_text(outcome.warning_notice));
    if (outcome.warning_result == 2) {
      reject();
    } else {
      accept();
    }
    return;
  }
  if (!outcome.message.empty() && setup_.messages != nullptr) setup_.messages->inform(this, qt_text(outcome.message));
  if (outcome.reason % 10 == kWrongPasswordReason) {
    password_->clear();
    password_->setFocus();
  }
}

void CLoginDialog::set_busy(bool busy) {
  connecting_ = busy;
  connect_->setEnabled(!busy);
}

}  // namespace dovel::ui
