#include "ui/download/percent_bar_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyleOptionProgressBar>

#include <algorithm>

namespace dovel::ui {

PercentBarDelegate::PercentBarDelegate(int percent_role, QObject* parent) : QStyledItemDelegate(parent), percent_role_(percent_role) {}

QString PercentBarDelegate::percent_text(int percent) { return QStringLiteral("%1%").arg(std::clamp(percent, 0, 100)); }

void PercentBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QVariant value = index.data(percent_role_);
  if (!value.isValid()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  // The selection stays visible behind the bar.
  QStyleOptionViewItem background = option;
  initStyleOption(&background, index);
  background.text.clear();
  const QWidget* widget = option.widget;
  QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

  QStyleOptionProgressBar bar;
  bar.rect = option.rect.adjusted(1, 1, -1, -1);
  bar.minimum = 0;
  bar.maximum = 100;
  bar.progress = std::clamp(value.toInt(), 0, 100);
  bar.text = percent_text(bar.progress);
  bar.textVisible = true;
  bar.textAlignment = Qt::AlignCenter;
  bar.state = option.state | QStyle::State_Horizontal;
  bar.palette = option.palette;
  bar.fontMetrics = option.fontMetrics;
  style->drawControl(QStyle::CE_ProgressBar, &bar, painter, widget);
}

}  // namespace dovel::ui
