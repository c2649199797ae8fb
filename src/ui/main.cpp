// dovel: the desktop client. It shows the start-up picture while the share port
// is checked, brings the application up with the Qt event loop driving the hub,
// and runs until the exit command (menu, tray, SIGTERM/SIGINT) has taken every
// service down in order.
#include <QApplication>
#include <QDir>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dovel_app.h"
#include "app/program_options.h"
#include "core/message_ids.h"
#include "platform/data_home.h"
#include "server/startup_port_check.h"
#include "ui/app/desktop_browser_front.h"
#include "ui/app/desktop_core.h"
#include "ui/app/desktop_views.h"
#include "ui/app/desktop_windows.h"
#include "ui/app/qt_message_loop.h"
#include "ui/app/screenshot_run.h"
#include "ui/app/splash_screen.h"
#include "ui/app/stop_signals.h"
#include "ui/app/stored_share_port.h"
#include "ui/app/unattended_message_sink.h"
#include "ui/app/window_shots.h"
#include "ui/controls/message_sink.h"
#include "ui/mainframe/main_frame_window.h"
#include "ui/mainframe/qt_front.h"

namespace {

using namespace dovel;

std::filesystem::path own_executable() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path("dovel") : path;
}

}  // namespace

int main(int argc, char** argv) {
  ui::StopSignals::block();
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Dovel"));
  QApplication::setQuitOnLastWindowClosed(false);

  std::string error;
  const std::optional<app::ProgramOptions> options = app::read_program_options(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "dovel: %s\n%s", error.c_str(), app::program_usage("dovel").c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(app::program_usage("dovel").c_str(), stdout);
    return 0;
  }
  const std::optional<platform::DataHome> home = platform::resolve_data_home(options->home);
  if (!home) {
    std::fputs("dovel: no data home: give --home DIR\n", stderr);
    return 2;
  }

  const QString screenshots = qEnvironmentVariable(ui::kScreenshotsVariable);
  ui::BoxMessageSink desktop_boxes;
  ui::UnattendedMessageSink unattended_boxes;
  ui::MessageSink& boxes = screenshots.isEmpty() ? static_cast<ui::MessageSink&>(desktop_boxes) : unattended_boxes;

  ui::QtMessageLoop loop;
  ui::StopSignals stop_signals(loop);
  mainframe::StatusLog status_log;
  ui::QtFront front(boxes);
  ui::DesktopBrowserFront browser_front(loop, boxes);

  app::AppSetup setup = app::app_setup(*options, *home);
  setup.loop = &loop;
  setup.front = &front;
  setup.prompt = &front;
  setup.status_log = &status_log;
  setup.browser_front = &browser_front;
  setup.register_url_protocol = true;
  setup.executable = own_executable();
  app::CDovelApp application(setup);

  auto splash = std::make_unique<ui::CSplashScreen>();
  splash->set_status_text(QString::fromStdString(server::port_check_waiting_note(ui::stored_share_port(*home))));
  splash->show_now();
  const app::StartOutcome outcome = application.InitInstance();
  splash->finish();
  splash.reset();
  if (outcome == app::StartOutcome::HandedOver) return 0;
  if (outcome == app::StartOutcome::Ended) return 1;

  ui::CMainFrameWindow::Options window_options;
  window_options.profile = &application.profile();
  mainframe::CMainFrame& hub = application.main_frame();
  ui::DesktopWindows windows(application, home->root, setup.executable, boxes);
  ui::DesktopViews views(application, windows, browser_front, loop);
  ui::WindowOpeners openers = windows.openers();
  views.add_to(openers);
  ui::CMainFrameWindow window(ui::make_window_core(application, status_log, loop), std::move(openers), window_options);
  front.attach_window(&window);
  loop.attach(&windows.message_handler());

  std::unique_ptr<ui::ScreenshotRun> screenshot_run;
  if (!screenshots.isEmpty()) {
    screenshot_run = std::make_unique<ui::ScreenshotRun>(
        QDir(screenshots), window, [&hub] { return hub.status(); },
        [&loop] { loop.post({core::UM_EXIT_COMMAND, 0, 0, nullptr}); });
    ui::add_window_shots(*screenshot_run, window, windows, views, application);
    screenshot_run->start();
  }

  QApplication::exec();
  screenshot_run.reset();
  loop.attach(nullptr);
  front.attach_window(nullptr);
  return 0;
}
