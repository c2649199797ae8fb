#pragma once

#include <QTextBrowser>
#include <QTextDocument>

namespace dovel::ui {

// The document of the intro pane. A stock document that its view cannot
// serve a resource reads the named local file itself, and a program-wide
// resource provider would be asked before that; this one asks neither and
// never answers.
class IntroDocument final : public QTextDocument {
  Q_OBJECT

 public:
  explicit IntroDocument(QObject* parent = nullptr);

 protected:
  QVariant loadResource(int type, const QUrl& name) override;
};

// Shows a peer's introduction page. The page is another user's text, so the
// pane reaches nothing with it: images, style sheets and frames it names are
// never loaded (neither files nor the network), and a click on a link only
// reports the link; the window decides whether anything opens.
class IntroBrowser : public QTextBrowser {
  Q_OBJECT

 public:
  explicit IntroBrowser(QWidget* parent = nullptr);

  QVariant loadResource(int type, const QUrl& name) override;
};

}  // namespace dovel::ui
