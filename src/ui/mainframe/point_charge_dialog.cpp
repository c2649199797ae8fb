#include "ui/mainframe/point_charge_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dovel::ui {

CPointChargeDialog::CPointChargeDialog(std::function<void(const std::string& page)> open_page, QWidget* parent)
    : QDialog(parent), open_page_(std::move(open_page)) {
  setMinimumWidth(360);
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(QString::fromUtf8("포인트가 부족하여 다운로드를 할 수 없습니다."), this);
  note->setAlignment(Qt::AlignCenter);
  layout->addWidget(note);
  auto* buttons = new QHBoxLayout;
  auto* charge = new QPushButton(QString::fromUtf8("포인트 충전"), this);
  auto* premium = new QPushButton(QString::fromUtf8("프리미엄 안내"), this);
  buttons->addWidget(charge);
  buttons->addWidget(premium);
  layout->addLayout(buttons);
  connect(charge, &QPushButton::clicked, this, [this] { open_page_(kChargePage); });
  connect(premium, &QPushButton::clicked, this, [this] { open_page_(kPremiumPage); });
  charge->setEnabled(static_cast<bool>(open_page_));
  premium->setEnabled(static_cast<bool>(open_page_));
  countdown_.setInterval(1000);
  connect(&countdown_, &QTimer::timeout, this, &CPointChargeDialog::tick);
}

void CPointChargeDialog::show_shortage() {
  ticks_ = 0;
  show_title();
  adjustSize();
  if (parentWidget() != nullptr) move(parentWidget()->geometry().center() - rect().center());
  show();
  raise();
  activateWindow();
  countdown_.start();
}

void CPointChargeDialog::tick() {
  ++ticks_;
  if (ticks_ >= kCountdownSeconds) {
    countdown_.stop();
    hide();
    return;
  }
  show_title();
}

void CPointChargeDialog::show_title() {
  setWindowTitle(QString::fromUtf8("포인트부족 - %1초후 자동으로 닫힙니다.").arg(seconds_left()));
}

}  // namespace dovel::ui
