#pragma once

#include <QTextBrowser>

#include <functional>
#include <string>

#include "ui/search/background_worker.h"

namespace dovel::ui {

// The search window's side pane: the service's recommendation page for the
// keyword, as plain rich text (nothing is loaded beyond the page itself, no
// scripts run). It shows itself only when the page body has text.
class CDummyDialog final : public QTextBrowser {
  Q_OBJECT

 public:
  // The page text for a keyword (UTF-8, "" when none); run off the GUI thread.
  using PageFetch = std::function<std::string(const std::string& keyword)>;
  // The pane stays narrow beside the result list.
  static constexpr int kMaximumWidth = 240;

  explicit CDummyDialog(PageFetch fetch, QWidget* parent = nullptr);

  // Fetches the page for the keyword; an answer for an older keyword is dropped.
  void load(const std::string& keyword);
  // Shows a fetched page: visible when its body text, blanks trimmed, is not empty.
  void show_page(const QString& page);
  // The body text of the page shown last, blanks trimmed.
  QString body_text() const;

  QVariant loadResource(int type, const QUrl& name) override;

 signals:
  // The pane was shown or hidden: the search window lays its panes out again.
  void layout_requested();

 private:
  PageFetch fetch_;
  unsigned generation_ = 0;
  BackgroundWorker worker_;
};

}  // namespace dovel::ui
