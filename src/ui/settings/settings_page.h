#pragma once

#include <QWidget>

namespace dovel::ui {

// One page of the settings sheet. Apply stores the page's choices; false when the
// page refused them (it has told the user why and keeps its controls as they are).
class SettingsPage : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;
  virtual bool apply() = 0;

 signals:
  // The page wants to be the visible one (it refuses an apply and shows why).
  void activation_requested();
};

}  // namespace dovel::ui
