#include "ui/serverlist/server_list_search_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include "ui/recording_message_sink.h"
#include "ui/serverlist/server_list_fixture.h"
#include "ui/serverlist/server_list_model.h"

namespace dovel::ui {
namespace {

using test::listed;
using test::ServerSpec;

class ServerListSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model.sort_by(ServerListModel::SortKey::Title);
    model.set_servers(listed(std::vector<ServerSpec>{{.user_id = "Moonlight", .title = "A 영화관", .address = "10.0.0.1"},
                                                     {.user_id = "sun", .title = "B 음악", .address = "10.0.0.2"},
                                                     {.user_id = "star", .title = "C 영화 자료", .address = "10.0.0.3"},
                                                     {.user_id = "moon2", .title = "D 드라마", .address = "10.0.0.4"}}));
    list.setModel(&model);
  }

  std::unique_ptr<CServerListSearchDialog> make_dialog() {
    commands = recorder.commands();
    return std::make_unique<CServerListSearchDialog>(model, list, commands, messages);
  }

  int selected_row() const {
    const QModelIndexList rows = list.selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
  }

  ServerListModel model;
  QTreeView list;
  test::RecordingCommands recorder;
  ServerListCommands commands;
  test::RecordingMessageSink messages;
};

TEST_F(ServerListSearchTest, TitleHitThenNextThenTheEnd) {
  auto dialog = make_dialog();
  dialog->text_box()->setText(QStringLiteral("영화"));
  dialog->find_first();
  EXPECT_EQ(selected_row(), 0);
  EXPECT_EQ(list.currentIndex().row(), 0);
  EXPECT_TRUE(dialog->next_button()->isEnabled());

  dialog->find_next();
  EXPECT_EQ(selected_row(), 2);
  EXPECT_FALSE(dialog->next_button()->isEnabled()) << "no hit after the last one";

  dialog->find_first();
  EXPECT_EQ(selected_row(), 0) << "finding starts from the top again";
  EXPECT_TRUE(messages.informed.isEmpty());
}

TEST_F(ServerListSearchTest, NoHitLeavesTheSelection) {
  auto dialog = make_dialog();
  dialog->text_box()->setText(QStringLiteral("B"));
  dialog->find_first();
  ASSERT_EQ(selected_row(), 1);
  dialog->text_box()->setText(QStringLiteral("없는 제목"));
  EXPECT_TRUE(dialog->next_button()->isEnabled()) << "a new text starts afresh";
  dialog->find_next();
  EXPECT_EQ(selected_row(), 1);
  EXPECT_FALSE(dialog->next_button()->isEnabled());
  EXPECT_FALSE(dialog->result_label()->text().isEmpty());
}

TEST_F(ServerListSearchTest, EmptyTextAndNoModeAreTold) {
  recorder.privileged = true;
  recorder.stored.numbers["ServerSearchID"] = 7;  // neither mode stored
  auto dialog = make_dialog();
  dialog->text_box()->setText(QStringLiteral("  "));
  dialog->find_first();
  dialog->text_box()->setText(QStringLiteral("moon"));
  EXPECT_EQ(dialog->mode(), CServerListSearchDialog::Mode::None);
  dialog->find_next();
  EXPECT_EQ(messages.informed, (QStringList{QStringLiteral("검색어를 입력하세요."), QStringLiteral("아이디나 서버제목중 하나를 골라 주세요.")}));
  EXPECT_EQ(selected_row(), -1);
}

TEST_F(ServerListSearchTest, OwnerIdSearchOnlyForPrivilegedUsers) {
  {
    auto dialog = make_dialog();
    EXPECT_TRUE(dialog->id_button()->isHidden());
    EXPECT_TRUE(dialog->title_button()->isChecked());
    EXPECT_EQ(dialog->mode(), CServerListSearchDialog::Mode::Title);
    dialog->text_box()->setText(QStringLiteral("moon"));
    dialog->find_first();
    EXPECT_EQ(selected_row(), -1) << "IDs are not searched by the title search";
  }
  recorder.privileged = true;
  auto dialog = make_dialog();
  EXPECT_FALSE(dialog->id_button()->isHidden());
  EXPECT_EQ(dialog->mode(), CServerListSearchDialog::Mode::OwnerId) << "stored default: by ID";
  dialog->text_box()->setText(QStringLiteral("moon"));
  dialog->find_first();
  EXPECT_EQ(selected_row(), 0) << "\"Moonlight\": IDs compare without regard to case";
  dialog->find_next();
  EXPECT_EQ(selected_row(), 3);
  EXPECT_FALSE(dialog->next_button()->isEnabled());

  dialog->title_button()->setChecked(true);
  EXPECT_EQ(recorder.stored.numbers["ServerSearchID"], 0);
  dialog->id_button()->setChecked(true);
  EXPECT_EQ(recorder.stored.numbers["ServerSearchID"], 1);
}

TEST_F(ServerListSearchTest, StoredTitleChoiceIsRestored) {
  recorder.privileged = true;
  recorder.stored.numbers["ServerSearchID"] = 0;
  auto dialog = make_dialog();
  EXPECT_EQ(dialog->mode(), CServerListSearchDialog::Mode::Title);
}

}  // namespace
}  // namespace dovel::ui
