#pragma once

#include "ui/controls/message_sink.h"

namespace dovel::ui {

// The message boxes of a run nobody watches (the screenshot run): each text
// goes to the system log and every question is answered "yes", so that nothing
// waits for a click.
class UnattendedMessageSink final : public MessageSink {
 public:
  void inform(QWidget* parent, const QString& text) override;
  bool ask(QWidget* parent, const QString& text) override;
  void notice(QWidget* parent, const QString& text) override;
};

}  // namespace dovel::ui
