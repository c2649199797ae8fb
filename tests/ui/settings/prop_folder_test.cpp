#include "ui/settings/prop_folder.h"

#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "app/local_databases.h"
#include "settings_page_fixture.h"

namespace dovel::ui {
namespace {

using settings::SharedFolder;

class PropFolderTest : public test::SettingsPageTest {
 protected:
  PropFolderTest() {
    shares = {{"하나", folder("one"), 5}, {"둘", folder("two"), 5}, {"셋", folder("three"), 5}};
    settings.update([&](settings::StoredSettings& v) {
      v.shared_folders = shares;
      v.down_path = folder("Download");
    });
    hooks.start_full_hashing = [this] { ++hashing_runs; };
  }

  std::unique_ptr<CPropFolder> open_page() { return std::make_unique<CPropFolder>(settings, messages, hooks); }
  static void select_rows(CPropFolder& page, std::initializer_list<int> indices) {
    page.folder_list()->clearSelection();
    for (int index : indices) page.folder_list()->topLevelItem(index)->setSelected(true);
  }
  static std::vector<std::string> names(const std::vector<SharedFolder>& rows) {
    std::vector<std::string> found;
    for (const SharedFolder& row : rows) found.push_back(row.name);
    return found;
  }

  std::vector<SharedFolder> shares;
  int hashing_runs = 0;
};

TEST_F(PropFolderTest, ShowsTheRowsWithTheirFlagsText) {
  settings.update([](settings::StoredSettings& v) { v.shared_folders[1].flags = settings::SHARE_READ | settings::SHARE_ADULT | settings::SHARE_SECRET; });
  auto page = open_page();
  QTreeWidget* list = page->folder_list();
  ASSERT_EQ(list->topLevelItemCount(), 3);
  EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("이름"));
  EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("둘"));
  EXPECT_EQ(list->topLevelItem(1)->text(2), QStringLiteral("성인/비밀"));
  EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("성인"));
  EXPECT_EQ(page->password_edit()->echoMode(), QLineEdit::Password);
}

TEST_F(PropFolderTest, DeletingEveryRowKeepsTheFirstSelectedRowAndSaysSo) {
  auto page = open_page();
  select_rows(*page, {2, 0, 1});
  page->delete_folders();
  EXPECT_EQ(messages.asked, QStringList{QStringLiteral("선택한 항목을 삭제하시겠습니까?")});
  EXPECT_EQ(messages.informed, QStringList{QStringLiteral("최소 하나 이상이 설정이 되어야 하므로 선택된것이 모두 지워지지 않았습니다.")});
  EXPECT_EQ(names(page->rows()), std::vector<std::string>{"하나"});
  EXPECT_TRUE(page->list_changed());
}

TEST_F(PropFolderTest, DeletingSomeRowsRemovesExactlyThoseAndNoAnswerRemovesNothing) {
  auto page = open_page();
  select_rows(*page, {0, 2});
  messages.answer = false;
  page->delete_folders();
  EXPECT_EQ(page->rows(), shares);
  EXPECT_FALSE(page->list_changed());

  messages.answer = true;
  page->delete_folders();
  EXPECT_EQ(names(page->rows()), std::vector<std::string>{"둘"});
  EXPECT_TRUE(messages.informed.isEmpty());
}

TEST_F(PropFolderTest, TheLastRowCannotBeDeletedAndNothingSelectedDoesNothing) {
  auto page = open_page();
  select_rows(*page, {});
  page->delete_folders();
  EXPECT_TRUE(messages.asked.isEmpty());
  EXPECT_TRUE(messages.informed.isEmpty());

  page->delete_all_but_first();
  EXPECT_EQ(messages.asked, QStringList{QStringLiteral("첫번째 공유폴더를 제외하고 모두 삭제하시겠습니까?")});
  EXPECT_EQ(names(page->rows()), std::vector<std::string>{"하나"});
  select_rows(*page, {0});
  page->delete_folders();
  EXPECT_EQ(messages.informed, QStringList{QStringLiteral("삭제할 수 없습니다. 최소 하나이상이 설정되어야 합니다.")});
  EXPECT_EQ(page->rows().size(), 1u);
}

TEST_F(PropFolderTest, ApplyRefusesADownloadFolderEqualToAShareNamingItsPlace) {
  auto page = open_page();
  int activations = 0;
  QObject::connect(page.get(), &SettingsPage::activation_requested, [&] { ++activations; });
  page->down_path_edit()->setText(QString::fromStdString(shares[2].path + "/"));
  EXPECT_FALSE(page->apply());
  EXPECT_EQ(messages.informed, QStringList{QStringLiteral("다운폴더와 공유폴더 3번째 폴더와 같습니다.\r\n\r\n다운폴더와 공유폴더는 "
                                                       "같아서는 안됩니다. 다르게 설정해주십시요.")});
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(settings.values().down_path, (home / "Download").string()) << "nothing stored";
}

TEST_F(PropFolderTest, ApplyRefusesASecretFolderWithoutPassword) {
  settings.update([](settings::StoredSettings& v) { v.shared_folders[2].flags = settings::SHARE_READ | settings::SHARE_SECRET; });
  auto page = open_page();
  page->password_edit()->clear();
  EXPECT_FALSE(page->apply());
  EXPECT_EQ(messages.informed, QStringList{QStringLiteral("비밀폴더가 있습니다. 비밀폴더를 위한 암호를 설정해 주세요.")});

  page->password_edit()->setText(QStringLiteral("열쇠"));
  EXPECT_TRUE(page->apply());
  EXPECT_EQ(settings.values().folder_pass, "열쇠");
}

TEST_F(PropFolderTest, ApplyStoresTheRowsInDisplayOrderAndSavesThem) {
  auto page = open_page();
  select_rows(*page, {1});
  page->delete_folders();
  const std::string new_down = folder("받은파일");
  page->down_path_edit()->setText(QString::fromStdString(new_down));
  std::string free_space_of;
  hooks.show_free_space = [&](const std::string& path) { free_space_of = path; };
  ASSERT_TRUE(page->apply());
  EXPECT_EQ(names(settings.values().shared_folders), (std::vector<std::string>{"하나", "셋"}));
  EXPECT_EQ(settings.values().down_path, new_down);
  EXPECT_EQ(free_space_of, new_down);
  EXPECT_EQ(hashing_runs, 1) << "the list changed";

  settings::Settings reloaded(store, home.path());
  reloaded.Load();
  EXPECT_EQ(reloaded.values().shared_folders, settings.values().shared_folders) << "saved";
  EXPECT_EQ(reloaded.values().down_path, new_down);

  ASSERT_TRUE(page->apply());
  EXPECT_EQ(hashing_runs, 1) << "an unchanged list needs no new hashing run";
}

class PropFolderMoveTest : public PropFolderTest {
 protected:
  void SetUp() override {
    ASSERT_FALSE(app::open_local_databases(folder("db"), databases));
    for (int index = 0; index < 3; ++index) {
      databases.data.Execute("Insert Into shared_files (name, shared_index, hash_version) Values ('f" + std::to_string(index) + "', " +
                             std::to_string(index) + ", 7)");
    }
    hooks.share_database = &databases.data;
  }
  int index_of(const std::string& file) {
    auto query = databases.data.Query("Select shared_index From shared_files Where name='" + file + "'");
    return query.AtEnd() ? -1 : query.Int(0);
  }

  app::LocalDatabases databases;
};

TEST_F(PropFolderMoveTest, MovingARowUpSwapsRowsAndDatabaseIndicesWithoutANewHashingRun) {
  auto page = open_page();
  select_rows(*page, {1});
  page->move_selected(share::MoveDirection::Up);
  EXPECT_EQ(names(page->rows()), (std::vector<std::string>{"둘", "하나", "셋"}));
  EXPECT_EQ(index_of("f0"), 1);
  EXPECT_EQ(index_of("f1"), 0);
  EXPECT_EQ(index_of("f2"), 2);
  ASSERT_EQ(page->folder_list()->selectedItems().size(), 1);
  EXPECT_EQ(page->folder_list()->selectedItems()[0]->text(0), QStringLiteral("둘")) << "the selection moves with the row";
  EXPECT_FALSE(page->list_changed());
}

TEST_F(PropFolderMoveTest, MovingIsRefusedWhileHashingAndAtTheEnds) {
  bool hashing = true;
  hooks.hashing_active = [&] { return hashing; };
  auto page = open_page();
  select_rows(*page, {1});
  page->move_selected(share::MoveDirection::Down);
  EXPECT_EQ(messages.informed, QStringList{QStringLiteral("해싱중에는 위치를 이동할 수 없습니다.")});
  EXPECT_EQ(page->rows(), shares);

  hashing = false;
  select_rows(*page, {2});
  page->move_selected(share::MoveDirection::Down);
  select_rows(*page, {0});
  page->move_selected(share::MoveDirection::Up);
  EXPECT_EQ(page->rows(), shares);
  EXPECT_EQ(index_of("f0"), 0);
  EXPECT_EQ(messages.informed.size(), 1);
}

}  // namespace
}  // namespace dovel::ui
