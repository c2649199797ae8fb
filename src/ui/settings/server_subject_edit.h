#pragma once

#include <QLineEdit>

#include "ui/controls/message_sink.h"

namespace dovel::ui {

// The server-title box: it refuses every change that makes the title longer than
// the registration service takes (50 bytes in the service's encoding, so 25 Hangul
// syllables), says why, and puts the previous text back.
class ServerSubjectEdit final : public QLineEdit {
  Q_OBJECT

 public:
  ServerSubjectEdit(MessageSink& messages, QWidget* parent = nullptr);

  // Sets the text the box starts from, without a check (the stored title).
  void set_initial_text(const QString& text);

 private:
  void on_text_changed(const QString& text);

  MessageSink& messages_;
  QString accepted_text_;
};

}  // namespace dovel::ui
