#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>

#include "mainframe/main_frame.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace dovel::ui {

// The hashing run's progress window: the folder being walked and the file being
// read. It watches the hub's status, shows itself when a run starts, follows it
// every 100 ms and hides at the run's end.
class CHashDialog final : public QDialog {
  Q_OBJECT

 public:
  using StatusSource = std::function<mainframe::HubStatus()>;

  static constexpr int kRefreshMs = 100;

  // `cancel` stops and forgets the active run at once (the hub's
  // hashing().cancel()) and gives the main window its hash command back.
  CHashDialog(StatusSource status, std::function<void()> cancel, QWidget* parent = nullptr);

  // One look at the status, as the timer does.
  void refresh();
  // "취소(&C)".
  void cancel_run();

  QLabel* folder_line() const { return folder_; }
  QLabel* file_line() const { return file_; }
  QPushButton* cancel_button() const { return cancel_button_; }

 private:
  StatusSource status_;
  std::function<void()> cancel_;
  QLabel* folder_;
  QLabel* file_;
  QProgressBar* progress_;
  QPushButton* cancel_button_;
  QTimer timer_;
};

}  // namespace dovel::ui
