// doveld: the client without a GUI. It logs in with the account stored in its
// data home, hashes the shared folders, runs the share server and the search
// responder, registers, and carries out dovel:// requests handed to it by a
// second copy, the launcher channel or its control socket. SIGTERM (or "exit" on
// the control socket) runs the orderly exit.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/browse_control_commands.h"
#include "app/control_channel.h"
#include "app/dovel_app.h"
#include "app/download_control_commands.h"
#include "app/program_options.h"
#include "app/search_control_commands.h"
#include "cli/headless_front.h"
#include "core/message_ids.h"
#include "platform/data_home.h"
#include "util/log_files.h"

namespace {

using namespace dovel;

constexpr const char* kControlUsage =
    "\n"
    "Control socket: DIR/doveld.sock (dovel-tool ctl --home DIR COMMAND): status, log [POS],\n"
    "request URL, exit, browse TARGET, cd PATH, password TEXT, get NAME..., downloads,\n"
    "stop HASH, resume HASH, delete HASH, search WORDS [--ext EXT], search --hash HASH,\n"
    "results [NUMBER], stop-search.\n";

std::string usage() { return app::program_usage("doveld") + kControlUsage; }

// Turns SIGTERM and SIGINT into the orderly exit; SIGUSR1 ends the watcher.
class StopSignals {
 public:
  explicit StopSignals(core::MessageTarget& hub) {
    sigemptyset(&signals_);
    for (int signal : {SIGTERM, SIGINT, SIGUSR1}) sigaddset(&signals_, signal);
    // Blocked before any other thread starts, so every thread inherits the mask
    // and only the watcher takes these signals.
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this, &hub] {
      int received = 0;
      while (sigwait(&signals_, &received) == 0 && received != SIGUSR1) {
        hub.post({core::UM_EXIT_COMMAND, 0, 0, nullptr});
      }
    });
  }
  ~StopSignals() {
    pthread_kill(thread_.native_handle(), SIGUSR1);
    thread_.join();
  }

 private:
  sigset_t signals_;
  std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const std::optional<app::ProgramOptions> options = app::read_program_options(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "doveld: %s\n%s", error.c_str(), usage().c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(usage().c_str(), stdout);
    return 0;
  }
  std::optional<platform::DataHome> home = platform::resolve_data_home(options->home);
  if (!home) {
    std::fputs("doveld: no data home: give --home DIR\n", stderr);
    return 2;
  }

  core::PlainMessageLoop loop;
  StopSignals stop_signals(loop);
  mainframe::StatusLog status_log;
  cli::HeadlessFront front;
  cli::PolicyPrompt prompt;

  app::AppSetup setup = app::app_setup(*options, *home);
  setup.loop = &loop;
  setup.front = &front;
  setup.prompt = &prompt;
  setup.status_log = &status_log;
  app::CDovelApp application(setup);
  switch (application.InitInstance()) {
    case app::StartOutcome::HandedOver: return 0;
    case app::StartOutcome::Ended: return 1;
    case app::StartOutcome::Running: break;
  }

  mainframe::CMainFrame& hub = application.main_frame();
  app::ControlTarget commands{[&hub] { return hub.status(); }, &status_log, &loop, {}};
  app::add_browse_control_commands(commands, application.downloads().browser());
  app::add_download_control_commands(commands, application.downloads().manager());
  app::add_search_control_commands(commands, application.search().client(), application.search().result_downloads());
  app::ControlChannel control(std::move(commands));
  const std::filesystem::path control_socket = app::control_socket_path(home->root);
  if (!control.start(control_socket)) {
    util::LogSystem("제어 소켓(%s)을 열 수 없습니다: %s", control_socket.c_str(), std::strerror(errno));
  }
  std::printf("doveld: running on %s; control socket %s\n", home->root.c_str(), control_socket.c_str());
  std::fflush(stdout);
  loop.run(hub);
  control.stop();
  return 0;
}
