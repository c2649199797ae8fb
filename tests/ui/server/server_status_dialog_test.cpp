#include "ui/server/server_status_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "core/message_ids.h"
#include "support/fake_clock.h"
#include "support/memory_window_values.h"
#include "ui/recording_message_sink.h"
#include "util/letter_pair.h"

namespace dovel::ui {
namespace {

struct Explored {
  std::string address;
  uint16_t port;
  bool operator==(const Explored&) const = default;
};

class ServerStatusPaneTest : public ::testing::Test {
 protected:
  UploadPaneCommands recording_commands() {
    UploadPaneCommands commands;
    commands.disconnect_peer = [this](uint64_t id) {
      disconnected_peers.push_back(id);
      return true;
    };
    commands.close_upload = [this](uint64_t id) {
      closed_uploads.push_back(id);
      return true;
    };
    commands.explore = [this](const std::string& address, uint16_t port) { explored.push_back({address, port}); };
    commands.chat = [this](const std::string& user_id) { chats.push_back(user_id); };
    commands.block = [this](const std::string& user_id) { blocked.push_back(user_id); };
    commands.message_uploaders = [this](const std::string& user_ids) { messaged.push_back(user_ids); };
    commands.values = &values;
    return commands;
  }

  void start_upload(uint64_t id, const std::string& user_id, const std::string& nickname, const std::string& address, uint16_t port) {
    auto upload = std::make_shared<server::UploadProgress>();
    upload->id = id;
    upload->nickname = nickname;
    upload->file_name = "movie" + std::to_string(id) + ".avi";
    upload->hash = "0123456789abcdef0123456789abcdef";
    upload->user_id = user_id;
    upload->peer_address = address;
    upload->peer_port = port;
    upload->end = 2048 * 1024;
    auto payload = std::make_unique<server::UploadStartedPayload>();
    payload->upload = upload;
    monitor.post({core::UM_UPLOAD_STARTED, 0, 0, std::move(payload)});
  }

  void connect_peer(uint64_t id, const std::string& user_id, const std::string& label, const std::string& address, uint16_t port) {
    auto peer = std::make_shared<server::ConnectedPeer>(id, clock.tick());
    peer->set_identity(user_id, 3, label);
    peer->set_address(address);
    peer->set_port(port);
    auto payload = std::make_unique<server::PeerConnectedPayload>();
    payload->peer = peer;
    monitor.post({core::UM_PEER_CONNECTED, 0, 0, std::move(payload)});
  }

  static void select_row(QTreeWidget* list, int row) {
    list->setCurrentItem(list->topLevelItem(row));
    list->topLevelItem(row)->setSelected(true);
  }

  static std::vector<std::string> visible_headers(QTreeWidget* list) {
    std::vector<std::string> headers;
    for (int i = 0; i < list->columnCount(); ++i) {
      if (!list->isColumnHidden(i)) headers.push_back(list->headerItem()->text(i).toStdString());
    }
    return headers;
  }

  settings::LiveSettings settings;
  server::ShareServerSettings server_settings{settings};
  dovel::test::MemoryWindowValues values;
  dovel::test::FakeClock clock;
  server::UploadMonitor monitor{server_settings, clock};
  test::RecordingMessageSink messages;
  std::vector<uint64_t> disconnected_peers;
  std::vector<uint64_t> closed_uploads;
  std::vector<Explored> explored;
  std::vector<std::string> chats;
  std::vector<std::string> blocked;
  std::vector<std::string> messaged;
};

TEST_F(ServerStatusPaneTest, BothListsShowTheirColumnsAndTheRowsGivenToThem) {
  CServerStatusDialog pane(monitor, recording_commands(), messages);
  EXPECT_EQ(visible_headers(pane.upload_list()),
            (std::vector<std::string>{"별명", "요청파일", "요청크기", "보낸량", "평균속도", "남은시간"}));
  EXPECT_EQ(pane.upload_list()->columnCount(), 9) << "three hidden columns";
  EXPECT_EQ(visible_headers(pane.peer_list()), (std::vector<std::string>{"별명", "접속시간"}));
  EXPECT_EQ(pane.peer_list()->columnCount(), 3);

  server::UploadRow upload{7, "받는이", "노래.mp3", "10240 K", "2048 K", "512.00K", "00:00:16", "0123456789abcdef0123456789abcdef",
                           util::Encode("taker"), 3};
  server::PeerRow peer{9, "손님", "00:01:05", 3};
  pane.show_rows({upload}, {peer});
  ASSERT_EQ(pane.upload_list()->topLevelItemCount(), 1);
  QTreeWidgetItem* row = pane.upload_list()->topLevelItem(0);
  const std::vector<std::string> expected = {"받는이", "노래.mp3", "10240 K", "2048 K", "512.00K", "00:00:16",
                                             "0123456789abcdef0123456789abcdef", util::Encode("taker"), ""};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(row->text(i).toStdString(), expected[i]) << i;
  ASSERT_EQ(pane.peer_list()->topLevelItemCount(), 1);
  EXPECT_EQ(pane.peer_list()->topLevelItem(0)->text(0).toStdString(), "손님");
  EXPECT_EQ(pane.peer_list()->topLevelItem(0)->text(1).toStdString(), "00:01:05");

  // The next refresh updates the selected row in place and drops rows that ended.
  select_row(pane.upload_list(), 0);
  upload.sent = "4096 K";
  server::UploadRow second = upload;
  second.id = 8;
  pane.show_rows({upload, second}, {});
  ASSERT_EQ(pane.upload_list()->topLevelItemCount(), 2);
  EXPECT_EQ(pane.upload_list()->topLevelItem(0), row);
  EXPECT_TRUE(row->isSelected());
  EXPECT_EQ(row->text(3).toStdString(), "4096 K");
  EXPECT_EQ(pane.peer_list()->topLevelItemCount(), 0);
  pane.show_rows({second}, {});
  ASSERT_EQ(pane.upload_list()->topLevelItemCount(), 1);
  EXPECT_EQ(pane.upload_list()->topLevelItem(0)->text(3).toStdString(), "4096 K");
}

TEST_F(ServerStatusPaneTest, ContextCommandsReachTheSelectedUploadOrConnection) {
  start_upload(7, "taker", "받는이", "127.0.0.5", 9910);
  start_upload(8, "other", "다른이", "127.0.0.6", 9911);
  start_upload(9, "Taker", "받는이", "127.0.0.5", 9910);
  connect_peer(21, "guest", "손님", "127.0.0.7", 9912);
  CServerStatusDialog pane(monitor, recording_commands(), messages);
  ASSERT_EQ(pane.upload_list()->topLevelItemCount(), 3);
  ASSERT_EQ(pane.peer_list()->topLevelItemCount(), 1);

  pane.run_on_uploads(CServerStatusDialog::Command::Disconnect);
  EXPECT_TRUE(closed_uploads.empty()) << "nothing selected";

  select_row(pane.upload_list(), 1);
  pane.run_on_uploads(CServerStatusDialog::Command::Disconnect);
  pane.run_on_uploads(CServerStatusDialog::Command::Explore);
  pane.run_on_uploads(CServerStatusDialog::Command::Chat);
  EXPECT_EQ(closed_uploads, std::vector<uint64_t>{8});
  EXPECT_EQ(explored, (std::vector<Explored>{{"127.0.0.6", 9911}}));
  EXPECT_EQ(chats, std::vector<std::string>{"other"});

  select_row(pane.peer_list(), 0);
  pane.run_on_peers(CServerStatusDialog::Command::Disconnect);
  pane.run_on_peers(CServerStatusDialog::Command::Explore);
  EXPECT_EQ(disconnected_peers, std::vector<uint64_t>{21});
  EXPECT_EQ(explored.back(), (Explored{"127.0.0.7", 9912}));

  messages.answer = false;
  pane.run_on_peers(CServerStatusDialog::Command::Block);
  EXPECT_EQ(messages.asked, QStringList{QString::fromUtf8("차단시키겠습니까?")});
  EXPECT_TRUE(blocked.empty());
  messages.answer = true;
  pane.run_on_peers(CServerStatusDialog::Command::Block);
  EXPECT_EQ(blocked, std::vector<std::string>{"guest"});

  QTest::mouseClick(pane.message_all_button(), Qt::LeftButton);
  EXPECT_EQ(messaged, std::vector<std::string>{"taker;other"}) << "each uploading user once";
}

TEST_F(ServerStatusPaneTest, TheContextMenuOffersOnlyWhatCanBeDone) {
  start_upload(7, "taker", "받는이", "127.0.0.5", 9910);
  UploadPaneCommands commands = recording_commands();
  commands.chat = nullptr;
  CServerStatusDialog pane(monitor, std::move(commands), messages);
  auto enabled_actions = [](QMenu* menu) {
    std::vector<std::string> enabled;
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator() && action->isEnabled()) enabled.push_back(action->text().toStdString());
    }
    delete menu;
    return enabled;
  };
  EXPECT_EQ(enabled_actions(pane.upload_menu(&pane)), std::vector<std::string>{"업로드중인 사용자 모두에게 메세지 보내기"});
  select_row(pane.upload_list(), 0);
  QMenu* menu = pane.upload_menu(&pane);
  EXPECT_EQ(enabled_actions(menu), (std::vector<std::string>{"연결끊기", "서버탐색", "차단하기", "업로드중인 사용자 모두에게 메세지 보내기"}));

  menu = pane.upload_menu(&pane);
  menu->actions().at(0)->trigger();
  delete menu;
  EXPECT_EQ(closed_uploads, std::vector<uint64_t>{7});
}

TEST_F(ServerStatusPaneTest, PauseAndSpeedLimitReachTheMonitorAndTheLimitIsKept) {
  values.numbers["LimitUploadSpeed"] = 4;
  {
    CServerStatusDialog pane(monitor, recording_commands(), messages);
    const std::vector<std::string> items = {"제한없음", "3000K", "1000K", "700K", "500K", "300K"};
    ASSERT_EQ(pane.limit_box()->count(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pane.limit_box()->itemText(i).toStdString(), items[i]);
    EXPECT_EQ(pane.limit_box()->currentIndex(), 4) << "the stored row";
    EXPECT_EQ(settings.upload_speed_limit.load(), 512000u);

    EXPECT_EQ(pane.pause_box()->text(), QStringLiteral("신규업로드 중지"));
    pane.pause_box()->setChecked(true);
    EXPECT_TRUE(monitor.new_uploads_paused());
    pane.pause_box()->setChecked(false);
    EXPECT_FALSE(monitor.new_uploads_paused());

    pane.limit_box()->setCurrentIndex(2);
    EXPECT_EQ(settings.upload_speed_limit.load(), 1024000u);
    EXPECT_EQ(values.numbers["LimitUploadSpeed"], 4) << "written when the pane goes";
  }
  EXPECT_EQ(values.numbers["LimitUploadSpeed"], 2);
}

}  // namespace
}  // namespace dovel::ui
