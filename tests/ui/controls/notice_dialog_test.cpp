#include "ui/controls/notice_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace dovel::ui {
namespace {

TEST(NoticeDialog, ShowsTheNoticeReadOnlyUntilConfirmed) {
  CNoticeDialog dialog(QStringLiteral("경고 내역이 있습니다.\r\n\r\n\r\n불법 자료 공유"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Dovel 안내메세지"));
  EXPECT_TRUE(dialog.text_box()->isReadOnly());
  EXPECT_EQ(dialog.text_box()->toPlainText(), QStringLiteral("경고 내역이 있습니다.\n\n\n불법 자료 공유"));
  EXPECT_EQ(dialog.ok_button()->text(), QStringLiteral("확인"));
  dialog.show();
  QTest::mouseClick(dialog.ok_button(), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace dovel::ui
