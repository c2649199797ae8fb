#include "ui/mainframe/prompt_boxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace dovel::ui {
namespace {

QString box_text(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

}  // namespace

bool ModalPromptBoxes::ask_yes_no(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, QStringLiteral("Dovel"), box_text(text), QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QString::fromUtf8("예(&Y)"), QMessageBox::YesRole);
  box.addButton(QString::fromUtf8("아니오(&N)"), QMessageBox::NoRole);
  box.setDefaultButton(yes);
  box.exec();
  return box.clickedButton() == static_cast<QAbstractButton*>(yes);
}

void ModalPromptBoxes::tell(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Dovel"), box_text(text), QMessageBox::NoButton, parent);
  box.addButton(QString::fromUtf8("확인"), QMessageBox::AcceptRole);
  box.exec();
}

}  // namespace dovel::ui
