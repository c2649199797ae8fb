#include "ui/search/dummy_dialog.h"

namespace dovel::ui {

CDummyDialog::CDummyDialog(PageFetch fetch, QWidget* parent) : QTextBrowser(parent), fetch_(std::move(fetch)), worker_(this) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  setOpenLinks(false);
  setMinimumWidth(160);
  setMaximumWidth(kMaximumWidth);
  hide();
}

void CDummyDialog::load(const std::string& keyword) {
  if (!fetch_) return;
  const unsigned generation = ++generation_;
  worker_.run<std::string>([fetch = fetch_, keyword] { return fetch(keyword); },
                           [this, generation](std::string page) {
                             if (generation == generation_) show_page(QString::fromStdString(page));
                           });
}

void CDummyDialog::show_page(const QString& page) {
  setHtml(page);
  setVisible(!body_text().isEmpty());
  emit layout_requested();
}

QString CDummyDialog::body_text() const { return toPlainText().trimmed(); }

QVariant CDummyDialog::loadResource(int, const QUrl&) { return {}; }

}  // namespace dovel::ui
