#include "ui/controls/notice_dialog.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/controls/message_sink.h"

namespace dovel::ui {

CNoticeDialog::CNoticeDialog(const QString& text, QWidget* parent)
    : QDialog(parent), text_(new QPlainTextEdit(this)), ok_(new QPushButton(QStringLiteral("확인"), this)) {
  setWindowTitle(QString::fromUtf8(kTitle));
  text_->setReadOnly(true);
  text_->setPlainText(box_text(text));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addLayout(buttons);
  resize(420, 260);
}

}  // namespace dovel::ui
