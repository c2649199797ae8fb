#include "ui/controls/message_sink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace dovel::ui {
namespace {

// What a box looked like when it came up.
struct SeenBox {
  QString title;
  QString text;
  QStringList buttons;
  QString default_button;
};

// Waits (on the box's own event loop) for the modal message box, notes what it
// shows and hands it to `act`, which must close it.
class BoxWatcher {
 public:
  explicit BoxWatcher(std::function<void(QMessageBox&)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { look(); });
    timer_.start(20);
  }

  SeenBox seen;

 private:
  void look() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    timer_.stop();
    seen.title = box->windowTitle();
    seen.text = box->text();
    for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
    if (box->defaultButton() != nullptr) seen.default_button = box->defaultButton()->text();
    act_(*box);
  }

  std::function<void(QMessageBox&)> act_;
  QTimer timer_;
};

void press_key(QMessageBox& box, Qt::Key key) { QTest::keyClick(&box, key); }

void click_button(QMessageBox& box, const QString& label) {
  for (QAbstractButton* button : box.buttons()) {
    if (button->text() == label) button->click();
  }
}

TEST(BoxMessageSink, AQuestionPreselectsNoAndAnswersYesOnlyForYes) {
  struct Case {
    const char* name;
    std::function<void(QMessageBox&)> act;
    bool answer;
  };
  const Case cases[] = {
      {"enter takes the preselected button", [](QMessageBox& box) { press_key(box, Qt::Key_Return); }, false},
      {"escape", [](QMessageBox& box) { press_key(box, Qt::Key_Escape); }, false},
      {"no", [](QMessageBox& box) { click_button(box, QStringLiteral("아니오(&N)")); }, false},
      {"yes", [](QMessageBox& box) { click_button(box, QStringLiteral("예(&Y)")); }, true},
  };
  for (const Case& c : cases) {
    BoxWatcher watcher(c.act);
    BoxMessageSink sink;
    EXPECT_EQ(sink.ask(nullptr, QStringLiteral("첫줄\r\n\r\n둘째줄")), c.answer) << c.name;
    EXPECT_EQ(watcher.seen.title, QStringLiteral("Dovel")) << c.name;
    EXPECT_EQ(watcher.seen.text, QStringLiteral("첫줄\n\n둘째줄")) << c.name;
    EXPECT_EQ(watcher.seen.buttons, (QStringList{QStringLiteral("예(&Y)"), QStringLiteral("아니오(&N)")})) << c.name;
    EXPECT_EQ(watcher.seen.default_button, QStringLiteral("아니오(&N)")) << c.name;
  }
}

TEST(BoxMessageSink, AnInformationBoxHasOnlyOk) {
  BoxWatcher watcher([](QMessageBox& box) { press_key(box, Qt::Key_Return); });
  BoxMessageSink sink;
  sink.inform(nullptr, QStringLiteral("알림\r\n끝"));
  EXPECT_EQ(watcher.seen.title, QStringLiteral("Dovel"));
  EXPECT_EQ(watcher.seen.text, QStringLiteral("알림\n끝"));
  EXPECT_EQ(watcher.seen.buttons, QStringList{QStringLiteral("확인")});
}

}  // namespace
}  // namespace dovel::ui
