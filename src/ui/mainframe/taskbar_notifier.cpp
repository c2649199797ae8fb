#include "ui/mainframe/taskbar_notifier.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace dovel::ui {

CTaskbarNotifier::CTaskbarNotifier(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      text_(new QLabel(this)),
      slide_(this, "pos") {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedSize(240, 110);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(233, 229, 237));
  setPalette(colours);
  text_->setWordWrap(true);
  text_->setAlignment(Qt::AlignCenter);
  text_->setTextFormat(Qt::PlainText);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  slide_.setDuration(kSlideMs);
  stay_.setSingleShot(true);
  connect(&stay_, &QTimer::timeout, this, &CTaskbarNotifier::stay_done);
  connect(&slide_, &QPropertyAnimation::finished, this, [this] {
    if (hiding_) hide();
  });
}


void CTaskbarNotifier::Notify(const QString& kind, const QString& data, const QString& text, bool clickable) {
  dismiss();
  kind_ = kind;
  data_ = data;
  clickable_ = clickable;
  text_->setText(text);
  setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
  const Side side = taskbar_side();
  hiding_ = false;
  move(hidden_position(side));
  show();
  slide(hidden_position(side), shown_position(side));
  stay_.start(kSlideMs + kStayMs);
}

void CTaskbarNotifier::dismiss() {
  stay_.stop();
  slide_.stop();
  hiding_ = false;
  hide();
}

// While the cursor rests on the pop-up it stays; it goes once the cursor leaves.
void CTaskbarNotifier::stay_done() {
  if (underMouse()) {
    stay_.start(kSlideMs);
    return;
  }
  hiding_ = true;
  slide(pos(), hidden_position(taskbar_side()));
}

void CTaskbarNotifier::slide(const QPoint& from, const QPoint& to) {
  slide_.stop();
  slide_.setStartValue(from);
  slide_.setEndValue(to);
  slide_.start();
}

void CTaskbarNotifier::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  if (!clickable_) return;
  const QString kind = kind_;
  const QString data = data_;
  dismiss();
  emit clicked(kind, data);
}

// The side where the work area leaves room for a taskbar; bottom when none does.
CTaskbarNotifier::Side CTaskbarNotifier::taskbar_side() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return Side::Bottom;
  const QRect whole = screen->geometry();
  const QRect work = screen->availableGeometry();
  if (work.top() > whole.top()) return Side::Top;
  if (work.left() > whole.left()) return Side::Left;
  if (work.right() < whole.right()) return Side::Right;
  return Side::Bottom;
}

QPoint CTaskbarNotifier::shown_position(Side side) const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect work = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  switch (side) {
    case Side::Top: return {work.right() - width() + 1, work.top()};
    case Side::Left: return {work.left(), work.bottom() - height() + 1};
    case Side::Right:
    case Side::Bottom: break;
  }
  return {work.right() - width() + 1, work.bottom() - height() + 1};
}

QPoint CTaskbarNotifier::hidden_position(Side side) const {
  const QPoint shown = shown_position(side);
  switch (side) {
    case Side::Top: return {shown.x(), shown.y() - height()};
    case Side::Left: return {shown.x() - width(), shown.y()};
    case Side::Right: return {shown.x() + width(), shown.y()};
    case Side::Bottom: break;
  }
  return {shown.x(), shown.y() + height()};
}

}  // namespace dovel::ui
