#pragma once

#include <QString>

class QWidget;

namespace dovel::ui::settings {

// Where the settings windows send what the user must read or answer. The program
// shows message boxes; tests record the texts instead of blocking on a modal box.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void show(QWidget* parent, const QString& text) = 0;
  // A yes/no question; true for yes.
  virtual bool ask(QWidget* parent, const QString& question) = 0;
};

// Modal message boxes titled "Dovel".
class MessageBoxSink final : public MessageSink {
 public:
  void show(QWidget* parent, const QString& text) override;
  bool ask(QWidget* parent, const QString& question) override;
};

}  // namespace dovel::ui::settings
