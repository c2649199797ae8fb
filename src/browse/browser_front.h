#pragma once

#include <optional>
#include <string>

namespace dovel::browse {

// Origin codes of a browse session: the tab the user goes back to from the
// server's top level.
inline constexpr int kNoOrigin = -1;
inline constexpr int kServerListOrigin = 1;
inline constexpr int kSearchResultsOrigin = 2;
inline constexpr int kOtherListOrigin = 4;

// What the remote browser asks of the window around it. A graphical front
// switches tabs and asks the user; the headless program leaves this out (the
// browser then never prompts: passwords come with its commands).
// ask_folder_password and show_origin_tab are called on the thread that called
// the browser; show_browse_tab, show_download_tab and tell may also come from a
// session's thread, and must then only post to the front's thread, never wait
// for it (that thread may be stopping the session).
class BrowserFront {
 public:
  virtual ~BrowserFront() = default;
  // The connection is up: the main window shows the browse tab.
  virtual void show_browse_tab() = 0;
  virtual void show_download_tab() = 0;
  // Back to the tab the session came from (an origin code of 0 or more).
  virtual void show_origin_tab(int origin) = 0;
  // A message box with only "OK".
  virtual void tell(const std::string& text) = 0;
  // The password of a protected share; nullopt when the user cancels.
  virtual std::optional<std::string> ask_folder_password() = 0;
};

}  // namespace dovel::browse
