#pragma once

#include <QObject>

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "search/search_observer.h"

namespace dovel::browse {
class RemoteBrowser;
}
namespace dovel::download {
class DownloadManager;
}
namespace dovel::app {
class SearchSystem;
}

namespace dovel::ui {

// Turns the core's change listeners, called on the core's threads, into
// signals on the GUI thread. News of one kind that comes while its signal is
// still on its way is folded into it, so that a burst of search results or
// download progress costs the windows one redraw.
class CoreChangeSignals final : public QObject, public search::SearchObserver {
  Q_OBJECT

 public:
  CoreChangeSignals(download::DownloadManager& downloads, browse::RemoteBrowser& browser, app::SearchSystem& search);
  // Detaches every listener; nothing is posted after it returns.
  ~CoreChangeSignals() override;
  CoreChangeSignals(const CoreChangeSignals&) = delete;
  CoreChangeSignals& operator=(const CoreChangeSignals&) = delete;

  void search_started(uint32_t number) override;
  void sending_done(uint32_t number) override;
  void results_changed(uint32_t number) override;
  void search_stopped(uint32_t number) override;

 signals:
  void downloads_changed();
  void browser_changed();
  void search_changed();

 private:
  enum Kind { kDownloads, kBrowser, kSearch, kKinds };
  void post(Kind kind);
  void deliver(Kind kind);

  download::DownloadManager& downloads_;
  browse::RemoteBrowser& browser_;
  app::SearchSystem& search_;
  std::array<std::atomic<bool>, kKinds> pending_{};
};

}  // namespace dovel::ui
