#include "ui/browse/select_sub_folder_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "browse/sub_folder_name.h"
#include "ui/controls/message_sink.h"

namespace dovel::ui {

CSelectSubFolderDialog::CSelectSubFolderDialog(MessageSink& messages, QWidget* parent)
    : QDialog(parent), messages_(messages), name_(new QLineEdit(this)), preview_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("하위폴더 지정"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  preview_->setTextFormat(Qt::PlainText);
  name_->setMinimumWidth(260);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("다운로드할 하위폴더 이름을 입력하세요."), this));
  layout->addWidget(name_);
  layout->addWidget(preview_);
  layout->addWidget(buttons);

  connect(name_, &QLineEdit::textChanged, this, &CSelectSubFolderDialog::show_preview);
  connect(buttons, &QDialogButtonBox::accepted, this, &CSelectSubFolderDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSelectSubFolderDialog::reject);
  show_preview();
}

QString CSelectSubFolderDialog::sub_folder() const { return name_->text(); }

void CSelectSubFolderDialog::show_preview() { preview_->setText(QStringLiteral("기본다운폴더\\%1").arg(name_->text())); }

void CSelectSubFolderDialog::accept() {
  if (auto refusal = browse::sub_folder_refusal(sub_folder().toStdString())) {
    messages_.inform(this, QString::fromStdString(*refusal));
    name_->setFocus();
    return;
  }
  QDialog::accept();
}

SubFolderPrompt sub_folder_dialog_prompt(MessageSink& messages) {
  return [&messages](QWidget* parent) -> std::optional<QString> {
    CSelectSubFolderDialog dialog(messages, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.sub_folder();
  };
}

}  // namespace dovel::ui
