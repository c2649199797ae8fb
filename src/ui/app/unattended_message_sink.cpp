#include "ui/app/unattended_message_sink.h"

#include "util/log_files.h"

namespace dovel::ui {
namespace {

void log_box(const QString& text) {
  QString line = text.simplified();
  util::LogSystem("%s", line.toStdString().c_str());
}

}  // namespace

void UnattendedMessageSink::inform(QWidget*, const QString& text) { log_box(text); }

bool UnattendedMessageSink::ask(QWidget*, const QString& text) {
  log_box(text);
  return true;
}

void UnattendedMessageSink::notice(QWidget*, const QString& text) { log_box(text); }

}  // namespace dovel::ui
