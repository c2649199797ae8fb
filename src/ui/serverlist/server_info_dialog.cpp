#include "ui/serverlist/server_info_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace dovel::ui {

CServerInfoDialog::CServerInfoDialog(std::string address, uint16_t port, ServerInfoQuery query, QWidget* parent)
    : QDialog(parent), id_(new QLabel(this)), transfers_(new QLabel(this)), speed_(new QLabel(this)), status_(new QLabel(this)) {
  setWindowTitle(QString::fromUtf8(kTitle));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("아이디:"), id_);
  form->addRow(QStringLiteral("전송수(현재/최대):"), transfers_);
  form->addRow(QStringLiteral("현재 업로드속도:"), speed_);
  auto* close = new QPushButton(QStringLiteral("확인"), this);
  close->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(status_);
  layout->addLayout(buttons);
  setMinimumWidth(280);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  if (!query) {
    show_answer(std::nullopt);
    return;
  }
  status_->setText(QString::fromUtf8(kAskingText));
  // The worker touches only what it owns; the answer comes back through its finished signal.
  auto answer = std::make_shared<std::optional<browse::ServerInfo>>();
  worker_ = QThread::create([answer, query = std::move(query), address = std::move(address), port] { *answer = query(address, port); });
  worker_->setParent(this);
  connect(worker_, &QThread::finished, this, [this, answer] { show_answer(*answer); });
  worker_->start();
}

CServerInfoDialog::~CServerInfoDialog() {
  if (worker_ == nullptr) return;
  // Its answer is in: the thread is ending, if it has not ended yet.
  if (settled_) {
    worker_->wait();
    return;
  }
  // A question still under way finishes on its own (it is bounded in time) and then goes.
  if (worker_->isRunning()) {
    worker_->disconnect(this);
    worker_->setParent(nullptr);
    connect(worker_, &QThread::finished, worker_, &QObject::deleteLater);
    if (worker_->isFinished()) worker_->deleteLater();
  }
}

void CServerInfoDialog::show_answer(const std::optional<browse::ServerInfo>& info) {
  if (info) {
    id_->setText(QString::fromStdString(info->user_id));
    transfers_->setText(QStringLiteral("%1 / %2").arg(info->current_uploads).arg(info->max_uploads));
    speed_->setText(QString::fromStdString(info->upload_speed) + QStringLiteral(" K"));
    status_->clear();
  } else {
    status_->setText(QString::fromUtf8(kFailureText));
  }
  settled_ = true;
  emit settled_changed();
}

}  // namespace dovel::ui
