#pragma once

#include <QString>

class QWidget;

namespace dovel::ui {

// Every message box a window shows goes through this, so that the windows can
// be driven in tests without a modal box waiting for a click.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  // An information box with only "OK".
  virtual void inform(const QString& text) = 0;
  // A yes/no question with "no" preselected; true for "yes".
  virtual bool ask(const QString& text) = 0;
  // The service's notice window "Dovel 안내메세지".
  virtual void notice(const QString& text) = 0;
};

// The desktop's own boxes, on the GUI thread, over `parent` (may be null).
class BoxMessageSink final : public MessageSink {
 public:
  explicit BoxMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
  void inform(const QString& text) override;
  bool ask(const QString& text) override;
  void notice(const QString& text) override;

 private:
  QWidget* parent_;
};

// The texts keep the service's "\r\n" line breaks; a box shows plain "\n".
QString box_text(const QString& text);

}  // namespace dovel::ui
