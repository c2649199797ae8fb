#pragma once

#include <QString>

class QWidget;

namespace dovel::ui {

// Every message box a window shows goes through this, so that the windows can
// be driven in tests (or in a run nobody watches) without a modal box waiting
// for a click. `parent` is the window the box belongs to; it may be null.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // An information box with only "OK".
  virtual void inform(QWidget* parent, const QString& text) = 0;
  // A yes/no question with "no" preselected; true for "yes".
  virtual bool ask(QWidget* parent, const QString& text) = 0;
  // The service's notice window "Dovel 안내메세지".
  virtual void notice(QWidget* parent, const QString& text) = 0;
};

// The desktop's own modal boxes titled "Dovel", on the GUI thread.
class BoxMessageSink final : public MessageSink {
 public:
  void inform(QWidget* parent, const QString& text) override;
  bool ask(QWidget* parent, const QString& text) override;
  void notice(QWidget* parent, const QString& text) override;
};

// The texts keep the service's "\r\n" line breaks; a box shows plain "\n".
QString box_text(const QString& text);

}  // namespace dovel::ui
