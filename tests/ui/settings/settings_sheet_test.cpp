#include "ui/settings/settings_sheet.h"

#include <QLineEdit>
#include <QTabWidget>

#include <gtest/gtest.h>

#include "settings_page_fixture.h"
#include "ui/settings/prop_folder.h"
#include "ui/settings/prop_general.h"
#include "ui/settings/prop_other.h"
#include "ui/settings/prop_server_port.h"
#include "ui/settings/server_subject_edit.h"

namespace dovel::ui {
namespace {

class SettingsSheetTest : public test::SettingsPageTest {};

TEST_F(SettingsSheetTest, HoldsThePagesInOrder) {
  CSettingsSheet sheet(settings, messages, hooks);
  QTabWidget* tabs = sheet.tabs();
  ASSERT_EQ(tabs->count(), 4);
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("일반"));
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("폴더"));
  EXPECT_EQ(tabs->tabText(2), QStringLiteral("포트"));
  EXPECT_EQ(tabs->tabText(3), QStringLiteral("기타"));
}

TEST_F(SettingsSheetTest, ARefusingPageBecomesTheVisibleOneAndLaterPagesWait) {
  CSettingsSheet sheet(settings, messages, hooks);
  sheet.port_page()->port_edit()->setText(QStringLiteral("0"));
  sheet.folder_page()->down_path_edit()->setText(QString::fromStdString(settings.values().shared_folders[0].path));
  sheet.general_page()->title_edit()->setText(QStringLiteral("새 제목"));
  EXPECT_FALSE(sheet.apply_all());
  EXPECT_EQ(sheet.tabs()->currentWidget(), sheet.folder_page());
  ASSERT_EQ(messages.informed.size(), 1);
  EXPECT_TRUE(messages.informed[0].startsWith(QStringLiteral("다운폴더와 공유폴더 1번째 폴더와 같습니다.")));
  EXPECT_EQ(settings.values().server_subject, "새 제목") << "the page before it applied";

  sheet.folder_page()->down_path_edit()->setText(QString::fromStdString(folder("받기")));
  EXPECT_FALSE(sheet.apply_all());
  EXPECT_EQ(sheet.tabs()->currentWidget(), sheet.port_page());

  sheet.port_page()->port_edit()->setText(QStringLiteral("9911"));
  EXPECT_TRUE(sheet.apply_all());
  EXPECT_EQ(settings.values().share_port, 9911u);
}

}  // namespace
}  // namespace dovel::ui
