#include "ui/controls/message_sink.h"

#include <QMessageBox>
#include <QPushButton>

#include "ui/controls/notice_dialog.h"

namespace dovel::ui {
namespace {

QString box_title() { return QStringLiteral("Dovel"); }

}  // namespace

QString box_text(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

void BoxMessageSink::inform(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Information, box_title(), box_text(text), QMessageBox::NoButton, parent);
  box.addButton(QStringLiteral("확인"), QMessageBox::AcceptRole);
  box.exec();
}

bool BoxMessageSink::ask(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, box_title(), box_text(text), QMessageBox::NoButton, parent);
  QPushButton* yes = box.addButton(QStringLiteral("예(&Y)"), QMessageBox::YesRole);
  QPushButton* no = box.addButton(QStringLiteral("아니오(&N)"), QMessageBox::NoRole);
  box.setDefaultButton(no);
  box.setEscapeButton(no);
  box.exec();
  return box.clickedButton() == static_cast<QAbstractButton*>(yes);
}

void BoxMessageSink::notice(QWidget* parent, const QString& text) {
  CNoticeDialog dialog(text, parent);
  dialog.exec();
}

}  // namespace dovel::ui
