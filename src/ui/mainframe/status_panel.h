#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>

#include <cstdint>
#include <functional>

#include "mainframe/main_frame.h"
#include "mainframe/status_log.h"

namespace dovel::ui {

// The status panel: who is logged in, the share server's state, the counters,
// the transfer figures of the last 5 s, the point balance lines and the switch
// that shows or hides the registered server in the lists.
class StatusPanel final : public QFrame {
  Q_OBJECT

 public:
  explicit StatusPanel(QWidget* parent = nullptr);

  void show_status(const mainframe::HubStatus& status);
  // "%.1fK (%d)" for each direction, as the hub writes them.
  void show_transfer_figures(const QString& download, const QString& upload);
  void show_point_balance(const QString& lines);
  void show_online_count(uint32_t users);

  // What the visibility switch asks for when the user clicks it; none keeps it disabled.
  void on_visibility_switched(std::function<void(bool shown)> switched) { visibility_switched_ = std::move(switched); }
  QCheckBox& visibility_box() { return *visibility_; }

  QString login_text() const { return login_->text(); }
  QString point_text() const { return points_->text(); }

 private:
  QLabel* login_;
  QLabel* server_;
  QLabel* shared_;
  QLabel* transfers_;
  QLabel* download_speed_;
  QLabel* upload_speed_;
  QLabel* online_;
  QLabel* points_;
  QCheckBox* visibility_;
  std::function<void(bool shown)> visibility_switched_;
};

// The status log view: the lines of the status log, newest at the bottom.
class StatusLogView final : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit StatusLogView(mainframe::StatusLog* log, QWidget* parent = nullptr);
  // Adds the lines that came since the last look.
  void refresh();

 private:
  mainframe::StatusLog* log_;
  uint64_t next_ = 0;
};

}  // namespace dovel::ui
