#include "ui/settings/share_folder_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "settings_page_fixture.h"
#include "support/temp_folder.h"

namespace dovel::ui {
namespace {

using share::EntryMode;
using ui::test::RecordingMessageSink;

enum class Folder { None, Root, Missing, Existing, ExistingWithSlash, Other };

struct CheckCase {
  const char* what;
  QString name;
  Folder folder;
  EntryMode mode;
  QString message;  // empty: the dialog closes with OK
};

class ShareFolderDialogChecks : public ::testing::TestWithParam<CheckCase> {
 protected:
  ShareFolderDialogChecks() {
    std::filesystem::create_directories(temp / "shared");
    std::filesystem::create_directories(temp / "other");
  }
  std::string path_of(Folder folder) const {
    switch (folder) {
      case Folder::None: return "";
      case Folder::Root: return "/";
      case Folder::Missing: return (temp / "missing").string();
      case Folder::Existing: return (temp / "shared").string();
      case Folder::ExistingWithSlash: return (temp / "shared").string() + "/";
      case Folder::Other: return (temp / "other").string();
    }
    return "";
  }

  dovel::test::TempFolder temp;
};

// Each case would also fail the checks after its own, so the first failing check must be the one that speaks.
TEST_P(ShareFolderDialogChecks, TheFirstFailingCheckSpeaksAndKeepsTheDialogOpen) {
  const CheckCase& c = GetParam();
  RecordingMessageSink messages;
  const std::vector<settings::SharedFolder> rows = {{"음악", path_of(Folder::Existing), 5}};
  CShareFolderDialog dialog(messages, nullptr, c.mode, rows, {"", "", 5});
  dialog.name_edit()->setText(c.name);
  dialog.folder_edit()->setText(QString::fromStdString(path_of(c.folder)));
  dialog.agree_button()->click();
  if (c.message.isEmpty()) {
    EXPECT_TRUE(messages.informed.isEmpty()) << messages.informed.join('|').toStdString();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  } else {
    EXPECT_EQ(messages.informed, QStringList{c.message});
    EXPECT_NE(dialog.result(), QDialog::Accepted);
  }
}

INSTANTIATE_TEST_SUITE_P(
    InOrder, ShareFolderDialogChecks,
    ::testing::Values(
        CheckCase{"empty name", "", Folder::None, EntryMode::Add, QStringLiteral("공유이름이 비었습니다.")},
        CheckCase{"no folder", "..", Folder::None, EntryMode::Add, QStringLiteral("폴더를 선택하지 않았습니다.")},
        CheckCase{"the root", "..", Folder::Root, EntryMode::Add, QStringLiteral("윈도우 루트폴더는 사용하실수 없습니다.")},
        CheckCase{"missing folder", "..", Folder::Missing, EntryMode::Add, QStringLiteral("선택한 폴더가 존재하지 않습니다.")},
        CheckCase{"the name ..", "..", Folder::Existing, EntryMode::Add, QStringLiteral("공유이름으로 ..을 사용할 수 없습니다.")},
        CheckCase{"';' in the name", "음;악", Folder::Existing, EntryMode::Add, QStringLiteral("공유이름과 공유폴더에는 ';'를 쓸 수 없습니다.")},
        CheckCase{"same name", "음악", Folder::Existing, EntryMode::Add, QStringLiteral("같은 이름이 이미 존재합니다.")},
        CheckCase{"same folder", "영화", Folder::ExistingWithSlash, EntryMode::Add, QStringLiteral("같은 폴더가 이미 존재합니다.")},
        CheckCase{"same name, other folder", "음악", Folder::Other, EntryMode::Add, QStringLiteral("같은 이름이 이미 존재합니다.")},
        CheckCase{"modify keeps its own name and folder", "음악", Folder::Existing, EntryMode::Modify, QString()},
        CheckCase{"a new entry", "영화", Folder::Other, EntryMode::Add, QString()}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return "Check" + std::to_string(info.index); });

TEST(ShareFolderDialog, FriendAndSecretExcludeEachOtherAndTheFlagsFollowTheBoxes) {
  RecordingMessageSink messages;
  CShareFolderDialog dialog(messages, nullptr, EntryMode::Add, {}, {"", "", settings::SHARE_READ | settings::SHARE_ADULT});
  EXPECT_EQ(dialog.entry().flags, uint32_t{settings::SHARE_READ | settings::SHARE_ADULT});
  dialog.friend_box()->click();
  EXPECT_EQ(dialog.entry().flags, uint32_t{settings::SHARE_READ | settings::SHARE_ADULT | settings::SHARE_FRIEND});
  dialog.secret_box()->click();
  EXPECT_FALSE(dialog.friend_box()->isChecked());
  EXPECT_EQ(dialog.entry().flags, uint32_t{settings::SHARE_READ | settings::SHARE_ADULT | settings::SHARE_SECRET});
  dialog.friend_box()->click();
  EXPECT_FALSE(dialog.secret_box()->isChecked());
  EXPECT_TRUE(messages.informed.isEmpty());
  dialog.adult_box()->click();
  ASSERT_EQ(messages.informed.size(), 1) << "clearing the adult box warns";
  EXPECT_TRUE(messages.informed[0].startsWith(QStringLiteral("성인물과 음란물을 필히 구분해주시기 바랍니다.\r\n\r\n")));
  EXPECT_EQ(dialog.entry().flags, uint32_t{settings::SHARE_READ | settings::SHARE_FRIEND});
}

TEST(ShareFolderDialog, ThePickedFolderMustExistAndNotBeTheRoot) {
  dovel::test::TempFolder temp;
  std::filesystem::create_directories(temp / "pictures");
  RecordingMessageSink messages;
  std::string offered;
  QString picker_title;
  FolderPicker picker = [&](QWidget*, const QString& title, const std::string&) -> std::optional<std::string> {
    picker_title = title;
    return offered;
  };
  CShareFolderDialog dialog(messages, picker, EntryMode::Add, {}, {"", "", 5});

  offered = (temp / "gone").string();
  dialog.choose_folder_button()->click();
  offered = "/";
  dialog.choose_folder_button()->click();
  EXPECT_EQ(messages.informed, (QStringList{QStringLiteral("선택한 폴더가 존재하지 않습니다."), QStringLiteral("윈도우 루트폴더는 사용하실 수 없습니다.")}));
  EXPECT_TRUE(dialog.folder_edit()->text().isEmpty());

  offered = (temp / "pictures").string();
  dialog.choose_folder_button()->click();
  EXPECT_EQ(dialog.folder_edit()->text().toStdString(), offered);
  EXPECT_TRUE(picker_title.startsWith(QStringLiteral("주의: 공유폴더를 선택할때")));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Dovel - 공유폴더설정"));
}

}  // namespace
}  // namespace dovel::ui
