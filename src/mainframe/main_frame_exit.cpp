// The orderly exit: questions while transfers run, the search and the downloads
// stopped first, then every service torn down in order, each thread joined
// before what it uses goes away.
#include "mainframe/exit_banner.h"
#include "base/string_printf.h"
#include "core/message_ids.h"
#include "mainframe/main_frame.h"
#include "util/current_user.h"
#include "util/log_files.h"

namespace dovel::mainframe {

void CMainFrame::request_exit() {
  if (closing_ || exit_pending_ || torn_down_) return;
  const int uploads = capped_running_uploads();
  const int downloads = setup_.parts.downloads != nullptr ? setup_.parts.downloads->running_downloads() : 0;
  if (uploads > 0 || downloads > 0) {
    const std::string question = base::string_printf(
        "현재 전송중인 파일이 있습니다.\r\n\r\n업로드: %d개, 다운로드: %d개\r\n\r\n종료하시겠습니까?", uploads, downloads);
    if (!prompt_.ask(UserPrompt::Question::ExitWhileTransferring, question)) return;
  }
  if (setup_.parts.search != nullptr && setup_.parts.search->running()) {
    util::LogSystem("검색을 중지중입니다. 잠시만 기다려주세요.");
    exit_pending_ = true;
    setup_.parts.search->stop();
    return;
  }
  continue_exit();
}

void CMainFrame::continue_exit() {
  exit_pending_ = false;
  closing_ = true;
  if (setup_.parts.downloads != nullptr) {
    util::LogSystem("다운로드를 중지중입니다.");
    if (setup_.parts.downloads->stop_all_for_exit()) {
      // The downloads report when the last one ended; the frame closes after 5 s in any case.
      loop_.set_timer(core::kExitWaitTimer, kExitWaitMs);
      return;
    }
  }
  close_frame();
}

void CMainFrame::close_frame() {
  tear_down();
  loop_.quit();
}

void CMainFrame::tear_down() {
  if (torn_down_) return;
  torn_down_ = true;
  ready_ = false;
  front_.tear_down();
  for (core::TimerId id : {core::kListFetchTimer, core::kKeepAliveTimer, core::kStatusTimer, core::kThrottleTimer, core::kReloginTimer, core::kWarningTimer, core::kBalanceTimer,
                     core::kRegistrationRefreshTimer, core::kServerButtonTimer, core::kExitWaitTimer}) {
    loop_.kill_timer(id);
  }
  if (setup_.parts.points != nullptr && setup_.parts.points->running()) setup_.parts.points->flush(util::CurrentUserId());
  // The service worker finishes the exchange it is in; nothing queued after it runs.
  if (service_worker_ != nullptr) service_worker_->stop();
  registration_.close();
  file_index_.close();
  // A run holds the database for its whole walk: it goes before the server, whose threads may wait for the database.
  hashing_.cancel();
  local_server_.stop_search_responder();
  local_server_.stop_share_server(true);
  if (setup_.parts.points != nullptr) setup_.parts.points->stop();
  scratch_.Clear();
  if (ping_ != nullptr) ping_->stop();
  auth_.close();
  login_lock_.release();
  show_exit_banner(setup_.endpoints.web_base, setup_.banner_program);
}

}  // namespace dovel::mainframe
