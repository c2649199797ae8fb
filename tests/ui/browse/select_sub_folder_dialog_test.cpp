#include "ui/browse/select_sub_folder_dialog.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "ui/recording_message_sink.h"

namespace dovel::ui {
namespace {

// Types text the way an input method commits it (Hangul cannot be sent as key clicks).
void commit_text(QWidget* widget, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QCoreApplication::sendEvent(widget, &event);
}

TEST(SelectSubFolderDialogTest, PreviewFollowsTheTypedName) {
  test::RecordingMessageSink messages;
  CSelectSubFolderDialog dialog(messages);
  EXPECT_EQ(dialog.preview()->text().toStdString(), "기본다운폴더\\");
  commit_text(dialog.name_edit(), QStringLiteral("음악"));
  EXPECT_EQ(dialog.preview()->text().toStdString(), "기본다운폴더\\음악");
}

TEST(SelectSubFolderDialogTest, RefusesEachForbiddenCharacterAndStaysOpen) {
  struct Case {
    const char* name;
    const char* message;
  };
  const Case cases[] = {
      {"a\\b", "경로에 '\\' 문자는 사용할 수 없습니다."},
      {"a/b", "경로에 '/' 문자는 사용할 수 없습니다."},
      {"a*b", "경로에 '*' 문자는 사용할 수 없습니다."},
      {"a?b", "경로에 '?' 문자는 사용할 수 없습니다."},
      {"a:b", "경로에 ':' 문자는 사용할 수 없습니다."},
      {"a\"b", "경로에 '\"' 문자는 사용할 수 없습니다."},
      {"a<b", "경로에 '<' 문자는 사용할 수 없습니다."},
      {"a>b", "경로에 '>' 문자는 사용할 수 없습니다."},
      {"a|b", "경로에 '|' 문자는 사용할 수 없습니다."},
      // The first character of the order is named, not the first in the name.
      {"x:y/z", "경로에 '/' 문자는 사용할 수 없습니다."},
      {"|?*", "경로에 '*' 문자는 사용할 수 없습니다."},
  };
  for (const Case& c : cases) {
    test::RecordingMessageSink messages;
    CSelectSubFolderDialog dialog(messages);
    dialog.show();
    dialog.name_edit()->setText(QString::fromUtf8(c.name));
    QTest::mouseClick(dialog.ok_button(), Qt::LeftButton);
    ASSERT_EQ(messages.informed.size(), 1) << c.name;
    EXPECT_EQ(messages.informed.front().toStdString(), c.message) << c.name;
    EXPECT_TRUE(dialog.isVisible()) << c.name << ": the dialog stays open";
    EXPECT_NE(dialog.result(), QDialog::Accepted) << c.name;
  }
}

TEST(SelectSubFolderDialogTest, AcceptsAnOrdinaryName) {
  test::RecordingMessageSink messages;
  CSelectSubFolderDialog dialog(messages);
  dialog.show();
  commit_text(dialog.name_edit(), QStringLiteral("새 앨범 (2024)"));
  QTest::mouseClick(dialog.ok_button(), Qt::LeftButton);
  EXPECT_TRUE(messages.informed.isEmpty());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.sub_folder().toStdString(), "새 앨범 (2024)");
}

}  // namespace
}  // namespace dovel::ui
