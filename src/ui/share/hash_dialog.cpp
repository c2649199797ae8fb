#include "ui/share/hash_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace dovel::ui {

CHashDialog::CHashDialog(StatusSource status, std::function<void()> cancel, QWidget* parent)
    : QDialog(parent),
      status_(std::move(status)),
      cancel_(std::move(cancel)),
      folder_(new QLabel(this)),
      file_(new QLabel(this)),
      progress_(new QProgressBar(this)),
      cancel_button_(new QPushButton(QStringLiteral("취소(&C)"), this)) {
  setWindowTitle(QStringLiteral("Dovel"));
  folder_->setTextFormat(Qt::PlainText);
  file_->setTextFormat(Qt::PlainText);
  folder_->setMinimumWidth(360);
  progress_->hide();

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_button_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(folder_);
  layout->addWidget(file_);
  layout->addWidget(progress_);
  layout->addLayout(buttons);

  connect(cancel_button_, &QPushButton::clicked, this, &CHashDialog::cancel_run);
  connect(&timer_, &QTimer::timeout, this, &CHashDialog::refresh);
  timer_.start(kRefreshMs);
}

void CHashDialog::refresh() {
  if (!status_) return;
  const mainframe::HubStatus status = status_();
  if (!status.hashing) {
    if (isVisible()) hide();
    return;
  }
  folder_->setText(QString::fromStdString(status.hash_progress.folder));
  file_->setText(QString::fromStdString(status.hash_progress.file));
  if (!isVisible()) show();
}

void CHashDialog::cancel_run() {
  hide();
  if (cancel_) cancel_();
}

}  // namespace dovel::ui
