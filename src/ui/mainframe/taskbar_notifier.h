#pragma once

#include <QLabel>
#include <QPropertyAnimation>
#include <QTimer>
#include <QWidget>

namespace dovel::ui {

// The pop-up notifier: a small frameless window that slides out of the screen's
// taskbar side, stays a while (longer while the cursor is over it) and slides
// back. A click on a clickable pop-up reports its kind and data and hides it.
class CTaskbarNotifier final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kSlideMs = 500;
  static constexpr int kStayMs = 6000;

  explicit CTaskbarNotifier(QWidget* parent = nullptr);

  // Hides any pop-up shown and shows `text`; `kind` and `data` come back with a click.
  void Notify(const QString& kind, const QString& data, const QString& text, bool clickable);
  void dismiss();

  QString text() const { return text_->text(); }
  bool clickable() const { return clickable_; }

 signals:
  void clicked(const QString& kind, const QString& data);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  enum class Side { Bottom, Top, Left, Right };
  Side taskbar_side() const;
  QPoint shown_position(Side side) const;
  QPoint hidden_position(Side side) const;
  void slide(const QPoint& from, const QPoint& to);
  void stay_done();

  QLabel* text_;
  QPropertyAnimation slide_;
  QTimer stay_;
  QString kind_;
  QString data_;
  bool clickable_ = false;
  bool hiding_ = false;
};

}  // namespace dovel::ui
