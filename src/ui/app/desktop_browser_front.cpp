#include "ui/app/desktop_browser_front.h"

#include <QMetaObject>

#include "core/message_ids.h"
#include "mainframe/hub_front.h"

namespace dovel::ui {

void DesktopBrowserFront::show_browse_tab() { show_view(mainframe::kViewBrowse); }

void DesktopBrowserFront::show_download_tab() { show_view(mainframe::kViewTransfers); }

// The lists a session can be opened from; the other lists' windows come later.
void DesktopBrowserFront::show_origin_tab(int origin) {
  if (origin == browse::kServerListOrigin) show_view(mainframe::kViewServerList);
  if (origin == browse::kSearchResultsOrigin) show_view(mainframe::kViewSearch);
}

void DesktopBrowserFront::tell(const std::string& text) {
  QMetaObject::invokeMethod(
      &gui_thread_,
      [this, text = QString::fromStdString(text)] { messages_.inform(box_parent_, text); },
      Qt::QueuedConnection);
}

std::optional<std::string> DesktopBrowserFront::ask_folder_password() {
  if (!prompt_) return std::nullopt;
  return prompt_();
}

void DesktopBrowserFront::show_view(int view) { loop_.post({core::UM_SHOW_VIEW, static_cast<uint64_t>(view), 0, nullptr}); }

}  // namespace dovel::ui
