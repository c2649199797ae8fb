#pragma once

#include <string>

#include "service/server_directory.h"
#include "service/service_session.h"

namespace dovel::mainframe {

// The figures the hub shows every 5 s: the tray tip and the status panel.
struct TransferStatus {
  std::string tray_tip;       // at most 127 characters
  std::string download_text;  // "%.1fK (%d)"
  std::string upload_text;
};

// What the hub shows. A graphical front draws it; the headless program leaves
// most of it out, since the status log already says what happened. Called on
// the hub's thread.
// The main window's views, shown one at a time.
inline constexpr int kViewServerList = 1;
inline constexpr int kViewSearch = 2;
inline constexpr int kViewBrowse = 3;
inline constexpr int kViewTransfers = 4;

class HubFront {
 public:
  virtual ~HubFront() = default;

  virtual void set_title(const std::string& title) = 0;
  virtual void show_transfer_status(const TransferStatus& status) = 0;
  // Restores the window when minimised or hidden and brings it to the front.
  virtual void bring_to_front() = 0;
  virtual void show_view(int view) = 0;
  // No stored or handed-over credentials: the login window opens for the user.
  virtual void ask_for_login() = 0;
  virtual void login_done(const service::SessionRecord& session, bool server_usable) = 0;
  virtual void session_ended() = 0;
  virtual void show_server_lists(const service::ServerLists& lists) = 0;
  // A small browser window on a page of the web host.
  virtual void open_page_window(const std::string& url) = 0;
  // A file link: on the clipboard and in a box.
  virtual void show_file_link(const std::string& link) = 0;
  // The share-server start button of the menu bar, shown again 5 s after a start.
  virtual void show_server_start_button(bool shown) = 0;
  // The service took the visibility switch: the server is now listed or not.
  virtual void show_server_visibility(bool shown) = 0;
  // The service's pushes on the session: a notice for the notifier, a system
  // line (already in the status log; the front beeps), the users online.
  virtual void show_service_notice(const std::string& text) = 0;
  virtual void service_line_arrived() = 0;
  virtual void show_online_count(uint32_t users) = 0;
  // A download finished: the pop-up notifier with its text.
  virtual void notify_download_finished(const std::string& text) = 0;
  // The point balance lines of the status panel; the point-charge window.
  virtual void show_point_balance(const std::string& lines) = 0;
  virtual void show_point_shortage() = 0;
  // The restore found files in the temporary folder that belong to no queued
  // download: the yes/no question (already in the status log, line by line);
  // "yes" opens `folder`. Asked once the start has run, not during it.
  virtual void ask_about_leftover_files(const std::string& question, const std::string& folder) = 0;
  // The window's last moments: the tray icon goes, the placement is saved.
  virtual void tear_down() = 0;
};

// The questions the program asks the user. The graphical front asks them; the
// headless program answers by a policy. `ask` may be called on any thread.
class UserPrompt {
 public:
  enum class Question {
    ExitWhileTransferring,    // "현재 전송중인 파일이 있습니다. ... 종료하시겠습니까?"
    LogoutWhileTransferring,  // "... 접속을 종료하시겠습니까?"
    EndSession,               // "접속을 종료하시겠습니까?"
    TakeOverSession,          // the ID is logged in elsewhere: end that session?
    SwitchUser,               // a handed-over request logs in as another user
  };

  virtual ~UserPrompt() = default;
  // True for "yes".
  virtual bool ask(Question question, const std::string& text) = 0;
  // A message box with only "OK".
  virtual void tell(const std::string& text) = 0;
};

}  // namespace dovel::mainframe
