#include "ui/serverlist/server_list_dialog.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "ui/mainframe/main_views.h"
#include "ui/recording_message_sink.h"
#include "ui/serverlist/server_info_dialog.h"
#include "ui/serverlist/server_list_fixture.h"
#include "util/letter_pair.h"

namespace dovel::ui {
namespace {

using test::listed;
using test::ServerSpec;

constexpr uint32_t kTiB = 1024 * 1024;  // in MiB

// Channel 0 with two servers, channel 1 not fetched, channel 2 with one.
service::ServerLists hand_made_lists() {
  service::ServerLists lists;
  lists.channels[0] = listed(std::vector<ServerSpec>{
      {.user_id = "alpha", .title = "알파 서버", .address = "10.0.0.1", .port = 9910, .shared_mib = 3 * kTiB, .files = 1200000},
      {.user_id = "beta", .title = "베타", .address = "10.0.0.2", .port = 9920, .shared_mib = kTiB + 5, .files = 34567}});
  lists.channels[2] = listed(std::vector<ServerSpec>{
      {.user_id = "gamma", .title = "감마", .address = "10.0.0.3", .port = 9930, .shared_mib = 2 * kTiB - 1, .files = 12}});
  lists.online_users = 12345;
  return lists;
}

class ServerListDialogTest : public ::testing::Test {
 protected:
  std::unique_ptr<CServerListDialog> make_dialog(bool with_favorites = true) {
    auto dialog = std::make_unique<CServerListDialog>(recorder.commands(with_favorites), messages);
    dialog->resize(900, 500);
    return dialog;
  }

  static std::string shown(const QLabel* label) { return label->text().toStdString(); }

  static std::vector<std::string> column(const CServerListDialog& dialog, int column) {
    std::vector<std::string> texts;
    auto* model = dialog.server_list()->model();
    for (int row = 0; row < model->rowCount(); ++row) texts.push_back(model->index(row, column).data().toString().toStdString());
    return texts;
  }

  static void select_row(CServerListDialog& dialog, int row) {
    dialog.server_list()->setCurrentIndex(dialog.server_list()->model()->index(row, ServerListModel::kTitleColumn));
  }

  static void click_cell(CServerListDialog& dialog, int row, int column) {
    QTreeView* list = dialog.server_list();
    const QRect cell = list->visualRect(list->model()->index(row, column));
    ASSERT_TRUE(cell.isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
  }

  static void click_header(CServerListDialog& dialog, int column) {
    QHeaderView* header = dialog.server_list()->header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  }

  test::RecordingCommands recorder;
  test::RecordingMessageSink messages;
};

TEST_F(ServerListDialogTest, HeaderFiguresOverAllChannels) {
  auto dialog = make_dialog();
  EXPECT_EQ(shown(dialog->header_line()), "User(0) :: Server(0) :: 0 TB :: 0 Files") << "before any list came";
  EXPECT_EQ(shown(dialog->channel_line()), " :: Server(0) :: 0 TB :: 0 Files");

  dialog->show_lists(hand_made_lists());
  EXPECT_EQ(shown(dialog->header_line()), "User(12,345) :: Server(3) :: 6 TB :: 1,234,579 Files");
  const char* counts[] = {"2", "0", "1"};
  const char* names[] = {"루비", "토파즈", "다이아몬드"};
  ASSERT_EQ(dialog->channel_list()->topLevelItemCount(), 3);
  for (int channel = 0; channel < 3; ++channel) {
    EXPECT_EQ(dialog->channel_list()->topLevelItem(channel)->text(0).toStdString(), names[channel]);
    EXPECT_EQ(dialog->channel_list()->topLevelItem(channel)->text(1).toStdString(), counts[channel]);
  }
  dialog->set_online_users(1000000);
  EXPECT_EQ(shown(dialog->header_line()), "User(1,000,000) :: Server(3) :: 6 TB :: 1,234,579 Files") << "the service's push of the count";
  EXPECT_EQ(dialog->channel_list()->headerItem()->text(0).toStdString(), "전체사용자:");
  EXPECT_EQ(dialog->channel_list()->headerItem()->text(1).toStdString(), "사용자");
}

TEST_F(ServerListDialogTest, ChannelLineOfTheChosenChannel) {
  auto dialog = make_dialog();
  dialog->show_lists(hand_made_lists());
  EXPECT_EQ(dialog->selected_channel(), 0) << "not registered: the first channel";
  EXPECT_EQ(shown(dialog->channel_line()), "루비 :: Server(2) :: 4 TB :: 1,234,567 Files");
  EXPECT_EQ(dialog->model().rowCount(), 2);

  dialog->channel_list()->setCurrentItem(dialog->channel_list()->topLevelItem(2));
  EXPECT_EQ(dialog->selected_channel(), 2);
  EXPECT_EQ(shown(dialog->channel_line()), "다이아몬드 :: Server(1) :: 1 TB :: 12 Files");
  EXPECT_EQ(column(*dialog, ServerListModel::kTitleColumn), (std::vector<std::string>{"감마"}));

  dialog->select_channel(1);
  EXPECT_EQ(shown(dialog->channel_line()), "토파즈 :: Server(0) :: 0 TB :: 0 Files") << "a channel whose list did not come";
  dialog->select_channel(-1);
  EXPECT_EQ(shown(dialog->channel_line()), " :: Server(0) :: 0 TB :: 0 Files");
  EXPECT_EQ(dialog->model().rowCount(), 0);
}

TEST_F(ServerListDialogTest, RegisteredChannelFirstThenTheUsersChoice) {
  recorder.registered_channel = 2;
  auto dialog = make_dialog();
  dialog->show_lists(hand_made_lists());
  EXPECT_EQ(dialog->selected_channel(), 2);
  dialog->select_channel(0);
  dialog->show_lists(hand_made_lists());
  EXPECT_EQ(dialog->selected_channel(), 0) << "a new list keeps the channel the user chose";
}

TEST_F(ServerListDialogTest, SortChoiceReadStoredAndAppliedFromComboAndHeader) {
  {
    auto dialog = make_dialog();
    EXPECT_EQ(dialog->sort_box()->currentIndex(), 3) << "nothing stored: shared amount";
    EXPECT_EQ(dialog->sort_box()->count(), ServerListModel::kSortKeyCount);
  }
  recorder.stored.numbers["serverlistautosort3"] = 1;
  auto dialog = make_dialog();
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  EXPECT_EQ(dialog->sort_box()->currentIndex(), 1);
  dialog->show_lists(hand_made_lists());
  EXPECT_EQ(column(*dialog, ServerListModel::kTitleColumn), (std::vector<std::string>{"베타", "알파 서버"})) << "by title";

  dialog->sort_box()->setCurrentIndex(3);
  EXPECT_EQ(column(*dialog, ServerListModel::kTitleColumn), (std::vector<std::string>{"알파 서버", "베타"})) << "largest share first";
  EXPECT_EQ(recorder.stored.numbers["serverlistautosort"], 3);
  EXPECT_EQ(recorder.stored.numbers["serverlistautosort3"], 3);

  click_header(*dialog, ServerListModel::kTitleColumn);
  EXPECT_EQ(dialog->sort_box()->currentIndex(), 1);
  EXPECT_EQ(column(*dialog, ServerListModel::kTitleColumn), (std::vector<std::string>{"베타", "알파 서버"}));
  EXPECT_EQ(recorder.stored.numbers["serverlistautosort"], 1);

  click_header(*dialog, ServerListModel::kExploreColumn);
  EXPECT_EQ(dialog->sort_box()->currentIndex(), 1) << "the link columns do not sort";
}

TEST_F(ServerListDialogTest, StoredSortChoiceOutOfRangeFallsBack) {
  recorder.stored.numbers["serverlistautosort3"] = 42;
  auto dialog = make_dialog();
  EXPECT_EQ(dialog->sort_box()->currentIndex(), 3);
}

TEST_F(ServerListDialogTest, VisibleAndHiddenColumns) {
  auto dialog = make_dialog();
  QTreeView* list = dialog->server_list();
  for (int column = 0; column < ServerListModel::kColumnCount; ++column) {
    const bool hidden = column == ServerListModel::kOwnerColumn || column >= ServerListModel::kFirstHiddenColumn;
    EXPECT_EQ(list->isColumnHidden(column), hidden) << "column " << column;
  }
}

TEST_F(ServerListDialogTest, ExploreLinkOpensTheDecodedServer) {
  auto dialog = make_dialog();
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  dialog->show_lists(hand_made_lists());
  click_cell(*dialog, 1, ServerListModel::kExploreColumn);
  ASSERT_EQ(recorder.explored.size(), 1u);
  EXPECT_EQ(recorder.explored[0], (test::Explored{"10.0.0.2", 9920, "beta"}));
  EXPECT_EQ(recorder.views, (std::vector<int>{kViewBrowse}));

  click_cell(*dialog, 1, ServerListModel::kTitleColumn);
  EXPECT_EQ(recorder.explored.size(), 1u) << "only the link cell explores";
  select_row(*dialog, 0);
  dialog->run_on_selected(CServerListDialog::RowAction::Explore);
  ASSERT_EQ(recorder.explored.size(), 2u);
  EXPECT_EQ(recorder.explored[1], (test::Explored{"10.0.0.1", 9910, "alpha"}));
}

TEST_F(ServerListDialogTest, OwnServerIsOpenedOnLoopbackOnlyWhileItRuns) {
  recorder.own_id = "ALPHA";
  auto dialog = make_dialog();
  dialog->show_lists(hand_made_lists());
  select_row(*dialog, 0);
  dialog->run_on_selected(CServerListDialog::RowAction::Explore);
  ASSERT_EQ(recorder.explored.size(), 1u);
  EXPECT_EQ(recorder.explored[0], (test::Explored{"127.0.0.1", 9911, "alpha"}));

  recorder.share_server_running = false;
  dialog->run_on_selected(CServerListDialog::RowAction::Explore);
  EXPECT_EQ(recorder.explored.size(), 1u);
  EXPECT_EQ(recorder.log, (std::vector<std::string>{"공유서버가 시작되지 않았습니다."}));
  EXPECT_EQ(recorder.views.size(), 1u) << "the view stays when nothing was opened";
}

TEST_F(ServerListDialogTest, FavoritesOnlyWithTheirCommand) {
  auto without = make_dialog(false);
  without->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(without.get()));
  without->show_lists(hand_made_lists());
  click_cell(*without, 0, ServerListModel::kFavoriteColumn);
  select_row(*without, 0);
  std::unique_ptr<QMenu> menu(without->row_menu(nullptr));
  ASSERT_EQ(menu->actions().size(), 4);
  EXPECT_FALSE(menu->actions()[1]->isEnabled());
  EXPECT_TRUE(recorder.favorites.empty());

  auto with = make_dialog(true);
  with->show_lists(hand_made_lists());
  select_row(*with, 1);
  with->run_on_selected(CServerListDialog::RowAction::Favorite);
  EXPECT_EQ(recorder.favorites, (std::vector<std::string>{"beta|베타"}));
}

TEST_F(ServerListDialogTest, ContextMenuItems) {
  auto dialog = make_dialog();
  dialog->show_lists(hand_made_lists());
  std::unique_ptr<QMenu> empty(dialog->row_menu(nullptr));
  std::vector<std::string> texts;
  for (QAction* action : empty->actions()) {
    texts.push_back(action->text().toStdString());
    EXPECT_FALSE(action->isEnabled()) << "no row selected";
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"탐색", "즐겨찾기", "서버링크복사", "서버정보"}));

  select_row(*dialog, 0);
  std::unique_ptr<QMenu> menu(dialog->row_menu(nullptr));
  EXPECT_TRUE(menu->actions()[0]->isEnabled());
  EXPECT_TRUE(menu->actions()[2]->isEnabled());
  EXPECT_FALSE(menu->actions()[3]->isEnabled()) << "no status question bound";
}

TEST_F(ServerListDialogTest, ServerLinkOnTheClipboard) {
  auto dialog = make_dialog();
  dialog->show_lists(hand_made_lists());
  select_row(*dialog, 1);
  QGuiApplication::clipboard()->clear();
  std::unique_ptr<QMenu> menu(dialog->row_menu(nullptr));
  menu->actions()[2]->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            "dovel://server_e/" + util::Encode("10.0.0.2") + ":" + util::Encode("9920"));
}

TEST_F(ServerListDialogTest, RefreshShowsItselfUntilTheListsCome) {
  auto dialog = make_dialog();
  EXPECT_FALSE(dialog->refreshing());
  QTest::mouseClick(dialog->refresh_button(), Qt::LeftButton);
  EXPECT_EQ(recorder.refreshes, 1);
  EXPECT_TRUE(dialog->refreshing());
  EXPECT_FALSE(dialog->refresh_button()->isEnabled()) << "one refresh at a time";
  dialog->show_lists(hand_made_lists());
  EXPECT_FALSE(dialog->refreshing());
  EXPECT_TRUE(dialog->refresh_button()->isEnabled());

  ServerListCommands none;
  test::RecordingMessageSink sink;
  CServerListDialog idle(none, sink);
  EXPECT_FALSE(idle.refresh_button()->isEnabled());
  idle.request_lists();
  EXPECT_FALSE(idle.refreshing());
}

TEST_F(ServerListDialogTest, SelectionSurvivesANewList) {
  auto dialog = make_dialog();
  dialog->show_lists(hand_made_lists());
  select_row(*dialog, 1);
  ASSERT_EQ(dialog->model().server(1).user_id, "beta");
  service::ServerLists changed = hand_made_lists();
  (*changed.channels[0])[1].shared_mib = 10 * kTiB;  // beta now sorts first
  dialog->show_lists(changed);
  const QModelIndexList selected = dialog->server_list()->selectionModel()->selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected.front().row(), 0);
  EXPECT_EQ(dialog->model().server(0).user_id, "beta");
}

TEST_F(ServerListDialogTest, ServerInfoOfTheSelectedRow) {
  std::vector<std::pair<std::string, uint16_t>> asked;
  ServerListCommands commands = recorder.commands();
  commands.server_info = [&asked](const std::string& address, uint16_t port) -> std::optional<browse::ServerInfo> {
    asked.emplace_back(address, port);
    return browse::ServerInfo{"gamma", 4, 1, "3.50"};
  };
  CServerListDialog dialog(commands, messages);
  dialog.show_lists(hand_made_lists());
  EXPECT_EQ(dialog.open_server_info(), nullptr) << "no row selected";
  dialog.select_channel(2);
  select_row(dialog, 0);
  CServerInfoDialog* info = dialog.open_server_info();
  ASSERT_NE(info, nullptr);
  ASSERT_TRUE(test::process_until([info] { return info->settled(); }));
  EXPECT_EQ(info->transfers_value()->text().toStdString(), "1 / 4");
  EXPECT_EQ(asked, (std::vector<std::pair<std::string, uint16_t>>{{"10.0.0.3", 9930}}));
}

}  // namespace
}  // namespace dovel::ui
