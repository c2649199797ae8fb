#pragma once

#include <QStyledItemDelegate>

namespace dovel::ui {

// Draws a cell as a progress bar filled to the number of the given role
// (0..100) with the text "N%".
class PercentBarDelegate final : public QStyledItemDelegate {
  Q_OBJECT

 public:
  explicit PercentBarDelegate(int percent_role, QObject* parent = nullptr);

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  // "%d%%" of a percentage, bounded to 0..100.
  static QString percent_text(int percent);

 private:
  int percent_role_;
};

}  // namespace dovel::ui
