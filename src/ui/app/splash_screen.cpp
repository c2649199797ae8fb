#include "ui/app/splash_screen.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMetaObject>
#include <QPainter>
#include <QScreen>

namespace dovel::ui {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 240;

}  // namespace

CSplashScreen::CSplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setFixedSize(kWidth, kHeight);
  setWindowTitle(QStringLiteral("Dovel"));
}

void CSplashScreen::set_status_text(const QString& text) {
  {
    std::lock_guard guard(lock_);
    status_text_ = text;
  }
  QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

QString CSplashScreen::status_text() const {
  std::lock_guard guard(lock_);
  return status_text_;
}

void CSplashScreen::show_now() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  show();
  raise();
  repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CSplashScreen::finish() { close(); }

// The picture, then the status text twice: light, and again in black one pixel
// up and to the left, as an engraved line.
void CSplashScreen::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient background(0, 0, 0, height());
  background.setColorAt(0, QColor(92, 74, 140));
  background.setColorAt(1, QColor(233, 229, 237));
  painter.fillRect(rect(), background);
  QFont title_font = font();
  title_font.setPixelSize(48);
  title_font.setBold(true);
  painter.setFont(title_font);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 40, width(), 80), Qt::AlignCenter, QStringLiteral("Dovel"));

  QFont text_font(QStringLiteral("Arial"));
  text_font.setPixelSize(15);
  text_font.setWeight(QFont::Normal);
  painter.setFont(text_font);
  const QRect text_area(10, 175, width() - 20 - 10, height() - 175);
  QString text = status_text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  painter.setPen(QColor(200, 200, 255));
  painter.drawText(text_area, Qt::TextWordWrap, text);
  painter.setPen(Qt::black);
  painter.drawText(text_area.translated(-1, -1), Qt::TextWordWrap, text);
}

}  // namespace dovel::ui
