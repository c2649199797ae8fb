#include "ui/settings/prop_server_port.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "settings/setting_table.h"
#include "settings/settings_page_rules.h"

namespace dovel::ui {

CPropServerPort::CPropServerPort(settings::Settings& settings, MessageSink& messages, const SettingsSheetHooks& hooks, QWidget* parent)
    : SettingsPage(parent),
      settings_(settings),
      messages_(messages),
      hooks_(hooks),
      port_at_open_(settings.values().share_port),
      port_edit_(new QLineEdit(QString::number(port_at_open_), this)),
      result_box_(new QPlainTextEdit(this)),
      test_button_(new QPushButton(QStringLiteral("포트 검사"), this)),
      firewall_button_(new QPushButton(QStringLiteral("방화벽 열기"), this)) {
  port_edit_->setMaxLength(5);
  result_box_->setReadOnly(true);
  firewall_button_->setEnabled(false);
  auto* up = new QToolButton(this);
  up->setArrowType(Qt::UpArrow);
  auto* down = new QToolButton(this);
  down->setArrowType(Qt::DownArrow);

  auto* port_row = new QHBoxLayout;
  port_row->addWidget(new QLabel(QStringLiteral("공유포트:"), this));
  port_row->addWidget(port_edit_);
  port_row->addWidget(up);
  port_row->addWidget(down);
  port_row->addWidget(test_button_);
  port_row->addWidget(firewall_button_);
  port_row->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(port_row);
  layout->addWidget(result_box_, 1);

  connect(up, &QToolButton::clicked, this, [this] { step_port(1); });
  connect(down, &QToolButton::clicked, this, [this] { step_port(-1); });
  connect(test_button_, &QPushButton::clicked, this, &CPropServerPort::start_test);
}

CPropServerPort::~CPropServerPort() {
  closing_ = true;
  if (test_thread_.joinable()) test_thread_.join();
}

void CPropServerPort::step_port(int delta) {
  const settings::NumberRange& ports = *settings::kSharePort.range;
  const int current = static_cast<int>(settings::parse_share_port(port_edit_->text().toStdString()).value_or(settings::kSharePort.on_load));
  port_edit_->setText(QString::number(std::clamp(current + delta, static_cast<int>(ports.low), static_cast<int>(ports.high))));
}

void CPropServerPort::refuse_port_range() {
  messages_.inform(window(), QString::fromUtf8(settings::kSharePortRangeMessage.data(), static_cast<qsizetype>(settings::kSharePortRangeMessage.size())));
  port_edit_->setFocus();
}

void CPropServerPort::start_test() {
  if (test_running_) return;
  std::optional<uint32_t> port = settings::parse_share_port(port_edit_->text().toStdString());
  if (!port) {
    refuse_port_range();
    return;
  }
  test_running_ = true;
  test_button_->setEnabled(false);
  result_box_->clear();
  // A test that ended has told the page so as its thread's last step.
  if (test_thread_.joinable()) test_thread_.join();
  test_thread_ = std::thread([this, tester = server::PortTester(hooks_.port_test_endpoints, hooks_.port_test_timing),
                              port = static_cast<uint16_t>(*port)] { run_test(tester, port); });
}

void CPropServerPort::run_test(const server::PortTester& tester, uint16_t port) {
  for (service::PortTestKind kind : {service::PortTestKind::Tcp, service::PortTestKind::Udp}) {
    if (closing_) return;
    const bool tcp = kind == service::PortTestKind::Tcp;
    const QString announced = tcp ? QStringLiteral("TCP를 검사합니다.") : QStringLiteral("UDP를 검사합니다.");
    post_to_page([this, announced] { result_box_->appendPlainText(announced); });
    server::PortTestResult result;
    tester.port_test(result, port, kind);
    const QString line = QString::fromStdString(server::port_test_text(result));
    post_to_page([this, line] { result_box_->appendPlainText(line); });
  }
  post_to_page([this] {
    test_running_ = false;
    test_button_->setEnabled(true);
  });
}

void CPropServerPort::post_to_page(std::function<void()> change) {
  // The page waits for this thread before it goes, so it is there to post to;
  // what is still queued when it goes is dropped with it.
  QMetaObject::invokeMethod(this, std::move(change), Qt::QueuedConnection);
}

bool CPropServerPort::apply() {
  std::optional<uint32_t> port = settings::parse_share_port(port_edit_->text().toStdString());
  if (!port) {
    emit activation_requested();
    refuse_port_range();
    return false;
  }
  settings_.update([&](settings::StoredSettings& v) { v.share_port = *port; });
  if (*port != port_at_open_) {
    port_at_open_ = *port;
    messages_.inform(window(), QString::fromUtf8(settings::kSharePortChangedNotice.data(), static_cast<qsizetype>(settings::kSharePortChangedNotice.size())));
  }
  settings_.Save();
  return true;
}

}  // namespace dovel::ui
