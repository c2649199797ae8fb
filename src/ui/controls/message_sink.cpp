#include "ui/controls/message_sink.h"

#include <QMessageBox>

#include "ui/service/notice_dialog.h"

namespace dovel::ui {
namespace {

constexpr const char* kBoxTitle = "Dovel";

}  // namespace

QString box_text(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

void BoxMessageSink::inform(const QString& text) {
  QMessageBox::information(parent_, QString::fromUtf8(kBoxTitle), box_text(text));
}

bool BoxMessageSink::ask(const QString& text) {
  return QMessageBox::question(parent_, QString::fromUtf8(kBoxTitle), box_text(text), QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void BoxMessageSink::notice(const QString& text) {
  CNoticeDialog dialog(text, parent_);
  dialog.exec();
}

}  // namespace dovel::ui
