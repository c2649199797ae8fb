#include "ui/app/screenshot_run.h"

#include <QCoreApplication>
#include <QPixmap>

#include <array>
#include <cstdio>

#include "ui/mainframe/main_views.h"

namespace dovel::ui {
namespace {

constexpr int kPollMs = 250;
// Larger than the window's first size, so that the lists show more of their columns.
constexpr QSize kWindowSize(1200, 820);
constexpr std::array<const char*, kViewCount> kViewFiles = {"main-view-0-home.png", "main-view-1-servers.png",
                                                            "main-view-2-search.png", "main-view-3-browse.png",
                                                            "main-view-4-transfers.png"};

// Lets the window lay out and paint what it was just told to show.
void settle() {
  for (int round = 0; round < 5; ++round) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace

ScreenshotRun::ScreenshotRun(QDir folder, CMainFrameWindow& window, std::function<mainframe::HubStatus()> hub_status,
                             std::function<void()> request_exit, QObject* parent)
    : QObject(parent),
      folder_(std::move(folder)),
      window_(window),
      hub_status_(std::move(hub_status)),
      request_exit_(std::move(request_exit)) {
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &ScreenshotRun::poll);
}

void ScreenshotRun::start() {
  folder_.mkpath(QStringLiteral("."));
  poll_.start();
}

void ScreenshotRun::poll() {
  waited_ms_ += kPollMs;
  if (!views_taken_) {
    const bool logged_in = hub_status_ && hub_status_().logged_in;
    if (!logged_in && waited_ms_ < kLoginWaitMs) return;
    take_views();
    views_taken_ = true;
    waited_ms_ = 0;
  }
  if (!take_ready_shots()) return;
  poll_.stop();
  if (request_exit_) request_exit_();
}

void ScreenshotRun::take_views() {
  window_.resize(kWindowSize);
  window_.bring_to_front();
  for (int view = 0; view < kViewCount; ++view) {
    window_.show_view(view);
    window_.refresh();
    settle();
    save(window_, QString::fromUtf8(kViewFiles[static_cast<size_t>(view)]));
  }
}

bool ScreenshotRun::take_ready_shots() {
  for (; next_shot_ < extra_.size(); ++next_shot_, waited_ms_ = 0, prepared_ = false) {
    const ExtraShot& shot = extra_[next_shot_];
    if (!prepared_) {
      prepared_ = true;
      if (shot.prepare) shot.prepare();
    }
    if (shot.ready && !shot.ready()) {
      if (waited_ms_ < kShotWaitMs) return false;
      std::fprintf(stderr, "dovel: %s: still not ready after the wait, taken as it is\n", qPrintable(shot.file));
    }
    QWidget* shown = shot.open ? shot.open() : nullptr;
    if (shown == nullptr) continue;
    settle();
    save(*shown, shot.file);
    if (shot.close) shot.close(shown);
  }
  return true;
}

void ScreenshotRun::save(QWidget& widget, const QString& file) {
  const QString path = folder_.filePath(file);
  if (!widget.grab().save(path, "PNG")) std::fprintf(stderr, "dovel: cannot write %s\n", qPrintable(path));
}

}  // namespace dovel::ui
