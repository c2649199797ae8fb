#include "ui/mainframe/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace dovel::ui {

QIcon dovel_icon() {
  QIcon icon;
  for (int size : {16, 22, 32, 48, 64}) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(92, 74, 140));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(size * 2 / 3);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("D"));
    painter.end();
    icon.addPixmap(picture);
  }
  return icon;
}

}  // namespace dovel::ui
