#pragma once

#include <QDir>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

#include "mainframe/main_frame.h"
#include "ui/mainframe/main_frame_window.h"

namespace dovel::ui {

// The environment variable that turns the client into its own photographer:
// it names the folder the pictures go to. Only scripts/screenshots sets it.
inline constexpr const char* kScreenshotsVariable = "DOVEL_SCREENSHOTS";

// One more picture after the main window's views: `open` shows a window and
// returns it, it is grabbed into `file`, then `close` puts it away. With
// `ready`, the picture waits (a while at most) until what it should show is
// there, such as a running upload.
struct ExtraShot {
  QString file;
  std::function<QWidget*()> open;
  std::function<void(QWidget*)> close;
  std::function<bool()> ready;
  // Sets the scene once, when the shot's turn comes and before its wait: a
  // search to run, a server to browse.
  std::function<void()> prepare;
};

// Waits until the client is logged in (at most a while), grabs the main window
// in each of its views and then every extra shot into PNG files, and asks for
// the exit.
class ScreenshotRun final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kLoginWaitMs = 30000;
  static constexpr int kShotWaitMs = 90000;

  ScreenshotRun(QDir folder, CMainFrameWindow& window, std::function<mainframe::HubStatus()> hub_status,
                std::function<void()> request_exit, QObject* parent = nullptr);

  // Where the lead adds the other windows' pictures.
  void add_shot(ExtraShot shot) { extra_.push_back(std::move(shot)); }
  void start();

 private:
  void poll();
  void take_views();
  // Takes the extra shots in order, until one is not ready yet; true when all are taken.
  bool take_ready_shots();
  void save(QWidget& widget, const QString& file);

  QDir folder_;
  CMainFrameWindow& window_;
  std::function<mainframe::HubStatus()> hub_status_;
  std::function<void()> request_exit_;
  std::vector<ExtraShot> extra_;
  QTimer poll_;
  int waited_ms_ = 0;
  bool views_taken_ = false;
  size_t next_shot_ = 0;
  bool prepared_ = false;
};

}  // namespace dovel::ui
