#pragma once

#include <QString>
#include <QWidget>

#include <mutex>

namespace dovel::ui {

// The start-up picture shown while the share port is checked, with one line of
// status text. Any thread may replace the text; the window repaints it. It
// closes on finish() (the end of the check). The check blocks the GUI thread,
// so the picture is shown whole at once rather than faded in.
class CSplashScreen final : public QWidget {
  Q_OBJECT

 public:
  explicit CSplashScreen(QWidget* parent = nullptr);

  void set_status_text(const QString& text);
  QString status_text() const;
  // Shows the window centred on the screen and paints it at once, so that it
  // stands while the caller blocks on the check.
  void show_now();
  void finish();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  mutable std::mutex lock_;
  QString status_text_;
};

}  // namespace dovel::ui
