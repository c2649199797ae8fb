#pragma once

#include <QPointer>

#include "ui/app/core_change_signals.h"
#include "ui/browse/connect_dialog.h"
#include "ui/download/total_status_dialog.h"
#include "ui/mainframe/window_hooks.h"
#include "ui/search/total_search_dialog.h"
#include "ui/serverlist/server_list_dialog.h"

namespace dovel::app {
class CDovelApp;
}

namespace dovel::ui {

class DesktopBrowserFront;
class DesktopWindows;

// The main window's views 1 to 4 over the running application: the server
// list, the search, the remote browsing and the transfers. Their commands are
// bound here to the core, and the core's change listeners keep them up to
// date. GUI thread only; made after the windows and before the main window,
// and it outlives the main window.
class DesktopViews {
 public:
  DesktopViews(app::CDovelApp& application, DesktopWindows& windows, DesktopBrowserFront& browser_front,
               core::MessageTarget& loop);
  ~DesktopViews();
  DesktopViews(const DesktopViews&) = delete;
  DesktopViews& operator=(const DesktopViews&) = delete;

  // Puts the view makers and the views' hooks into the main window's openers.
  void add_to(WindowOpeners& openers);

  CServerListDialog* server_list() const { return server_list_; }
  CTotalSearchDialog* search() const { return search_; }
  CConnectDialog* browse() const { return browse_; }
  CTotalStatusDialog* transfers() const { return transfers_; }

  BrowseCommands browse_commands();
  DownloadCommands download_commands();
  SearchCommands search_commands();
  ServerListCommands server_list_commands();

 private:
  void show_view(int view);

  app::CDovelApp& application_;
  DesktopWindows& windows_;
  DesktopBrowserFront& browser_front_;
  core::MessageTarget& loop_;
  CoreChangeSignals changes_;
  QPointer<CServerListDialog> server_list_;
  QPointer<CTotalSearchDialog> search_;
  QPointer<CConnectDialog> browse_;
  QPointer<CTotalStatusDialog> transfers_;
};

}  // namespace dovel::ui
