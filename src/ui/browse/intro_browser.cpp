#include "ui/browse/intro_browser.h"

namespace dovel::ui {

IntroDocument::IntroDocument(QObject* parent) : QTextDocument(parent) {
  setResourceProvider([](const QUrl&) { return QVariant(); });
}

QVariant IntroDocument::loadResource(int, const QUrl&) { return {}; }

IntroBrowser::IntroBrowser(QWidget* parent) : QTextBrowser(parent) {
  setDocument(new IntroDocument(this));
  setOpenLinks(false);
  setOpenExternalLinks(false);
}

QVariant IntroBrowser::loadResource(int, const QUrl&) { return {}; }

}  // namespace dovel::ui
