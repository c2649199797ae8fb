#include "ui/app/core_change_signals.h"

#include <QMetaObject>

#include "app/search_system.h"
#include "browse/remote_browser.h"
#include "download/download_manager.h"

namespace dovel::ui {

CoreChangeSignals::CoreChangeSignals(download::DownloadManager& downloads, browse::RemoteBrowser& browser, app::SearchSystem& search)
    : downloads_(downloads), browser_(browser), search_(search) {
  downloads_.set_change_listener([this] { post(kDownloads); });
  browser_.set_change_listener([this] { post(kBrowser); });
  search_.attach_window(this);
}

CoreChangeSignals::~CoreChangeSignals() {
  search_.attach_window(nullptr);
  browser_.set_change_listener({});
  downloads_.set_change_listener({});
}

void CoreChangeSignals::search_started(uint32_t) { post(kSearch); }
void CoreChangeSignals::sending_done(uint32_t) { post(kSearch); }
void CoreChangeSignals::results_changed(uint32_t) { post(kSearch); }
void CoreChangeSignals::search_stopped(uint32_t) { post(kSearch); }

void CoreChangeSignals::post(Kind kind) {
  if (pending_[kind].exchange(true)) return;
  QMetaObject::invokeMethod(this, [this, kind] { deliver(kind); }, Qt::QueuedConnection);
}

void CoreChangeSignals::deliver(Kind kind) {
  pending_[kind] = false;
  switch (kind) {
    case kDownloads: emit downloads_changed(); break;
    case kBrowser: emit browser_changed(); break;
    case kSearch: emit search_changed(); break;
    case kKinds: break;
  }
}

}  // namespace dovel::ui
