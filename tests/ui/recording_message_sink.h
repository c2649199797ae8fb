#pragma once

#include <QString>
#include <QStringList>

#include "ui/controls/message_sink.h"

namespace dovel::ui::test {

// Keeps every box a window would show instead of showing it; questions get
// the answer set beforehand.
class RecordingMessageSink final : public MessageSink {
 public:
  void inform(QWidget*, const QString& text) override { informed.append(text); }
  bool ask(QWidget*, const QString& text) override {
    asked.append(text);
    return answer;
  }
  void notice(QWidget*, const QString& text) override { notices.append(text); }

  bool answer = true;
  QStringList informed;
  QStringList asked;
  QStringList notices;
};

}  // namespace dovel::ui::test
