#include "ui/settings/message_sink.h"

#include <QMessageBox>

namespace dovel::ui::settings {
namespace {

// The messages keep the "\r\n" line ends they are written with; a label wants "\n".
QString displayed(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

}  // namespace

void MessageBoxSink::show(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QStringLiteral("Dovel"), displayed(text));
}

bool MessageBoxSink::ask(QWidget* parent, const QString& question) {
  return QMessageBox::question(parent, QStringLiteral("Dovel"), displayed(question), QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

}  // namespace dovel::ui::settings
