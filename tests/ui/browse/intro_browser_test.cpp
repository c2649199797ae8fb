#include "ui/browse/intro_browser.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QUrl>

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace dovel::ui {
namespace {

class IntroBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString((temp / "picture.png").string())));
    temp.write("secret.txt", "private text");
  }

  QUrl local(const char* name) const { return QUrl::fromLocalFile(QString::fromStdString((temp / name).string())); }

  QString page() const {
    return QStringLiteral("<html><head><link rel=\"stylesheet\" href=\"%1\"></head><body>"
                          "<p>hello</p><img src=\"%2\"><img src=\"file:///etc/passwd\">"
                          "<a href=\"http://example.invalid/page\">link</a></body></html>")
        .arg(local("secret.txt").toString(), local("picture.png").toString());
  }

  dovel::test::TempFolder temp;
};

// What a stock text view would do with the same page: the file is read. This
// shows the page really names readable resources.
TEST_F(IntroBrowserTest, AStockViewReadsTheFilesAPageNames) {
  QTextEdit stock;
  stock.setHtml(page());
  EXPECT_TRUE(stock.document()->resource(QTextDocument::ImageResource, local("picture.png")).isValid());
}

TEST_F(IntroBrowserTest, LoadsNoResourceAPageNames) {
  IntroBrowser pane;
  pane.resize(300, 200);
  pane.show();
  pane.setHtml(page());
  QCoreApplication::processEvents();
  EXPECT_NE(dynamic_cast<IntroDocument*>(pane.document()), nullptr);
  EXPECT_TRUE(pane.toPlainText().contains(QStringLiteral("hello")));
  for (const QUrl& url : {local("picture.png"), local("secret.txt"), QUrl(QStringLiteral("file:///etc/passwd"))}) {
    EXPECT_FALSE(pane.document()->resource(QTextDocument::ImageResource, url).isValid()) << url.toString().toStdString();
    EXPECT_FALSE(pane.document()->resource(QTextDocument::StyleSheetResource, url).isValid()) << url.toString().toStdString();
    EXPECT_FALSE(pane.loadResource(QTextDocument::ImageResource, url).isValid()) << url.toString().toStdString();
  }
  pane.clear();
  pane.setHtml(page());
  EXPECT_NE(dynamic_cast<IntroDocument*>(pane.document()), nullptr) << "the document survives new content";
}

TEST_F(IntroBrowserTest, AnActivatedLinkIsOnlyReported) {
  IntroBrowser pane;
  pane.resize(300, 200);
  pane.show();
  pane.setHtml(page());
  pane.setFocus();
  QSignalSpy clicked(&pane, &QTextBrowser::anchorClicked);
  QTest::keyClick(&pane, Qt::Key_Tab);
  ASSERT_TRUE(pane.textCursor().hasSelection()) << "the link has the focus";
  QTest::keyClick(&pane, Qt::Key_Return);
  ASSERT_EQ(clicked.count(), 1);
  EXPECT_EQ(clicked.front().front().toUrl(), QUrl(QStringLiteral("http://example.invalid/page")));
  EXPECT_TRUE(pane.source().isEmpty()) << "the pane does not follow it";
  EXPECT_TRUE(pane.toPlainText().contains(QStringLiteral("hello")));
}

}  // namespace
}  // namespace dovel::ui
