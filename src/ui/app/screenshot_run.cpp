#include "ui/app/screenshot_run.h"

#include <QCoreApplication>
#include <QPixmap>

#include <array>
#include <cstdio>

#include "ui/mainframe/main_views.h"

namespace dovel::ui {
namespace {

constexpr int kPollMs = 250;
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
  const bool logged_in = hub_status_ && hub_status_().logged_in;
  if (!logged_in && waited_ms_ < kLoginWaitMs) return;
  poll_.stop();
  take_all();
  if (request_exit_) request_exit_();
}

void ScreenshotRun::take_all() {
  window_.bring_to_front();
  for (int view = 0; view < kViewCount; ++view) {
    window_.show_view(view);
    window_.refresh();
    settle();
    save(window_, QString::fromUtf8(kViewFiles[static_cast<size_t>(view)]));
  }
  for (const ExtraShot& shot : extra_) {
    QWidget* shown = shot.open ? shot.open() : nullptr;
    if (shown == nullptr) continue;
    settle();
    save(*shown, shot.file);
    if (shot.close) shot.close(shown);
  }
}

void ScreenshotRun::save(QWidget& widget, const QString& file) {
  const QString path = folder_.filePath(file);
  if (!widget.grab().save(path, "PNG")) std::fprintf(stderr, "dovel: cannot write %s\n", qPrintable(path));
}

}  // namespace dovel::ui
