#include "ui/download/down_status_dialog.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "support/temp_folder.h"
#include "ui/download/download_rows.h"

namespace dovel::ui {
namespace {

using download::ItemState;
using test::connection;
using test::list_row;
using test::with_connections;
using Command = CDownStatusDialog::Command;
using Model = DownloadListModel;

constexpr const char* kHashA = "0123456789ABCDEF0123456789ABCDEF";
constexpr const char* kHashB = "FEDCBA9876543210FEDCBA9876543210";

platform::Ipv4 address(const char* dotted) { return *platform::parse_ipv4(dotted); }

struct Explored {
  std::string user_id;
  platform::Ipv4 address = 0;
  uint16_t port = 0;
  bool operator==(const Explored&) const = default;
};

// What the window asked of the core.
struct Recorder {
  std::vector<download::ListRow> rows;
  int rows_read = 0;
  std::vector<std::vector<std::string>> resumed, stopped, removed;
  std::vector<std::pair<std::vector<std::string>, bool>> moved;
  int finished_removed = 0;
  std::vector<std::string> opened;
  std::vector<Explored> explored;
  std::vector<std::string> chats;
  std::vector<std::string> info_pages;
  uint32_t stored_row = 0;
  std::vector<uint32_t> stored_rows;
  std::vector<uint32_t> applied_limits;
  bool multi_down = true;
  bool auto_stop = false;
  bool privileged = false;
  std::string download_folder = "/home/u/Download";
};

DownloadCommands commands_for(Recorder& r) {
  DownloadCommands c;
  c.rows = [&r] {
    ++r.rows_read;
    return r.rows;
  };
  c.resume = [&r](const std::vector<std::string>& hashes) { r.resumed.push_back(hashes); };
  c.stop = [&r](const std::vector<std::string>& hashes) { r.stopped.push_back(hashes); };
  c.remove = [&r](const std::vector<std::string>& hashes) { r.removed.push_back(hashes); };
  c.remove_finished = [&r] { ++r.finished_removed; };
  c.move = [&r](const std::vector<std::string>& hashes, bool up) { r.moved.emplace_back(hashes, up); };
  c.copy_link = [](const std::string& hash) -> std::optional<std::string> { return "dovel://file/a.bin:" + hash + ":10"; };
  c.open_path = [&r](const std::string& path) {
    r.opened.push_back(path);
    return true;
  };
  c.open_file_info = [&r](const std::string& hash, const std::string& name, int64_t size) {
    r.info_pages.push_back(hash + "|" + name + "|" + std::to_string(size));
  };
  c.explore_user = [&r](const std::string& user_id) { r.explored.push_back({user_id, 0, 0}); };
  c.explore_address = [&r](platform::Ipv4 ip, uint16_t port) { r.explored.push_back({"", ip, port}); };
  c.privileged = [&r] { return r.privileged; };
  c.speed_limit_row = [&r] { return r.stored_row; };
  c.store_speed_limit_row = [&r](uint32_t row) { r.stored_rows.push_back(row); };
  c.apply_download_limit = [&r](uint32_t limit) { r.applied_limits.push_back(limit); };
  c.use_multi_down = [&r] { return r.multi_down; };
  c.set_use_multi_down = [&r](bool on) { r.multi_down = on; };
  c.auto_stop_reported = [&r] { return r.auto_stop; };
  c.set_auto_stop_reported = [&r](bool on) { r.auto_stop = on; };
  c.download_folder = [&r] { return r.download_folder; };
  return c;
}

class DownStatusDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    download::ListRow first = with_connections(list_row(kHashA, "a.bin", ItemState::Transferring, 4096, 1024),
                                               {connection(1, address("10.0.0.1"), 9910), connection(2, address("10.0.0.2"), 9911)});
    first.item.sources = {{address("10.0.0.1"), 9910, "alice"}, {address("10.0.0.2"), 9911, ""}};
    download::ListRow second = list_row(kHashB, "b.txt", ItemState::Stopped, 2048, 0);
    second.item.sources = {{address("10.0.0.3"), 9912, ""}};
    recorder.rows = {first, second};
  }

  std::unique_ptr<CDownStatusDialog> open_window(DownloadCommands commands) {
    auto window = std::make_unique<CDownStatusDialog>(std::move(commands));
    window->resize(1400, 480);
    return window;
  }
  std::unique_ptr<CDownStatusDialog> open_window() { return open_window(commands_for(recorder)); }

  static void select(CDownStatusDialog& window, const QModelIndex& index) {
    window.list()->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }

  static QStringList action_texts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
      if (!action->isSeparator()) texts << action->text();
    }
    return texts;
  }

  static QAction* action(const QMenu& menu, const QString& text) {
    for (QAction* entry : menu.actions()) {
      if (entry->text() == text) return entry;
    }
    return nullptr;
  }

  Recorder recorder;
};

TEST_F(DownStatusDialogTest, ColumnsHaveTheirWidthsAndTheIdColumnIsHidden) {
  auto window = open_window();
  const QTreeView& list = *window->list();
  ASSERT_EQ(list.model()->columnCount(), 15);
  const int widths[] = {100, 0, -1, 50, 60, 60, 50, 60, 60, 60, 100, 40, 150, 60, 40};
  for (int column = 0; column < 15; ++column) {
    if (column == Model::kIdColumn || column == Model::kFileColumn) continue;
    EXPECT_EQ(list.columnWidth(column), widths[column]) << column;
    EXPECT_FALSE(list.isColumnHidden(column)) << column;
  }
  EXPECT_TRUE(list.isColumnHidden(Model::kIdColumn));
  EXPECT_EQ(list.model()->headerData(Model::kIdColumn, Qt::Horizontal).toString(), "ID");
}

TEST_F(DownStatusDialogTest, FileColumnFollowsTheListWidth) {
  EXPECT_EQ(CDownStatusDialog::file_column_width(1400, false), 488);
  EXPECT_EQ(CDownStatusDialog::file_column_width(1400, true), 428);
  EXPECT_EQ(CDownStatusDialog::file_column_width(500, false), CDownStatusDialog::kMinimumFileWidth);

  for (bool privileged : {false, true}) {
    recorder.privileged = privileged;
    auto window = open_window();
    window->show();
    window->resize(1500, 480);
    QCoreApplication::processEvents();
    const int list_width = window->list()->width();
    EXPECT_EQ(window->list()->columnWidth(Model::kFileColumn), list_width - (privileged ? 972 : 912)) << privileged;
  }
}

TEST_F(DownStatusDialogTest, ShowsTheRowsWithTheConnectionsAsChildRows) {
  auto window = open_window();
  const QAbstractItemModel& model = *window->list()->model();
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.rowCount(model.index(0, 0)), 2);
  EXPECT_EQ(model.index(1, Model::kPercentColumn).data().toString(), "0%");
  EXPECT_TRUE(window->list()->isExpanded(model.index(0, 0)));
}

TEST_F(DownStatusDialogTest, CommandsActOnTheSelectedFilesOnly) {
  auto window = open_window();
  const QAbstractItemModel& model = *window->list()->model();
  select(*window, model.index(0, 0, model.index(0, 0)));  // a connection of A
  select(*window, model.index(1, 0));                      // file B
  EXPECT_EQ(window->selected_hashes(), std::vector<std::string>{kHashB});

  window->run(Command::Resume);
  window->run(Command::Stop);
  window->run(Command::Remove);
  window->run(Command::MoveUp);
  window->run(Command::FileInfo);
  window->run(Command::Explore);
  const std::vector<std::vector<std::string>> only_b = {{kHashB}};
  EXPECT_EQ(recorder.resumed, only_b);
  EXPECT_EQ(recorder.stopped, only_b);
  EXPECT_EQ(recorder.removed, only_b);
  ASSERT_EQ(recorder.moved.size(), 1u);
  EXPECT_EQ(recorder.moved[0].first, std::vector<std::string>{kHashB});
  EXPECT_TRUE(recorder.moved[0].second);
  EXPECT_EQ(recorder.info_pages, std::vector<std::string>{std::string(kHashB) + "|b.txt|2048"});
  // B's server has no ID: its first source's address is explored.
  EXPECT_EQ(recorder.explored, (std::vector<Explored>{{"", address("10.0.0.3"), 9912}}));
}

TEST_F(DownStatusDialogTest, NothingSelectedRunsNothingAndListCommandsNeedNoSelection) {
  auto window = open_window();
  window->run(Command::Resume);
  window->run(Command::MoveDown);
  EXPECT_TRUE(recorder.resumed.empty());
  EXPECT_TRUE(recorder.moved.empty());
  window->run(Command::RemoveFinished);
  window->run(Command::OpenDownloadFolder);
  EXPECT_EQ(recorder.finished_removed, 1);
  EXPECT_EQ(recorder.opened, std::vector<std::string>{"/home/u/Download"});
}

TEST_F(DownStatusDialogTest, SelectionSurvivesARefreshThatAddsConnections) {
  recorder.rows[0].item.connections.clear();
  auto window = open_window();
  const QAbstractItemModel& model = *window->list()->model();
  select(*window, model.index(1, 0));
  recorder.rows[1] = with_connections(recorder.rows[1], {connection(5, address("10.0.0.3"), 9912), connection(6, address("10.0.0.4"), 1)});
  recorder.rows[0] = with_connections(recorder.rows[0], {connection(1, address("10.0.0.1"), 9910)});
  window->refresh();
  EXPECT_EQ(model.rowCount(model.index(1, 0)), 2);
  EXPECT_EQ(window->selected_hashes(), std::vector<std::string>{kHashB});
  recorder.rows[1] = with_connections(recorder.rows[1], {});
  window->refresh();
  EXPECT_EQ(model.rowCount(model.index(1, 0)), 0);
  EXPECT_EQ(window->selected_hashes(), std::vector<std::string>{kHashB});
}

TEST_F(DownStatusDialogTest, MenusOfFilesAndOfConnections) {
  auto window = open_window();
  const QAbstractItemModel& model = *window->list()->model();
  select(*window, model.index(0, 0));
  std::unique_ptr<QMenu> files(window->file_menu(nullptr));
  EXPECT_EQ(files->title(), "다운로드상태");
  EXPECT_EQ(action_texts(*files), (QStringList{"전송재개(&R)", "전송중지(&T)", "삭제(&X) - 완료는 목록에서만 지움", "실행(&E)",
                                               "파일정보 검색/등록(&F)", "서버 탐색(&C)", "1:1채팅(&M)", "파일링크복사(&L)"}));
  EXPECT_TRUE(action(*files, "전송재개(&R)")->isEnabled());
  EXPECT_FALSE(action(*files, "1:1채팅(&M)")->isEnabled());  // no chat yet

  const QModelIndex first_connection = model.index(0, 0, model.index(0, 0));
  std::unique_ptr<QMenu> connections(window->connection_menu(nullptr, first_connection));
  EXPECT_EQ(connections->title(), "서브아이템");
  EXPECT_EQ(action_texts(*connections), (QStringList{"서버 탐색(&C)", "1:1채팅(&M)"}));
  EXPECT_FALSE(action(*connections, "1:1채팅(&M)")->isEnabled());
  action(*connections, "서버 탐색(&C)")->trigger();
  std::unique_ptr<QMenu> second(window->connection_menu(nullptr, model.index(1, 0, model.index(0, 0))));
  action(*second, "서버 탐색(&C)")->trigger();
  EXPECT_EQ(recorder.explored, (std::vector<Explored>{{"alice", 0, 0}, {"", address("10.0.0.2"), 9911}}));
}

TEST_F(DownStatusDialogTest, ChatGoesToTheServerOfAConnection) {
  std::vector<std::string> chats;
  DownloadCommands commands = commands_for(recorder);
  commands.chat = [&chats](const std::string& user_id) { chats.push_back(user_id); };
  auto window = open_window(std::move(commands));
  const QAbstractItemModel& model = *window->list()->model();
  std::unique_ptr<QMenu> menu(window->connection_menu(nullptr, model.index(0, 0, model.index(0, 0))));
  ASSERT_TRUE(action(*menu, "1:1채팅(&M)")->isEnabled());
  action(*menu, "1:1채팅(&M)")->trigger();
  EXPECT_EQ(chats, std::vector<std::string>{"alice"});
}

TEST_F(DownStatusDialogTest, CopyLinkPutsTheCoreLinkOnTheClipboard) {
  auto window = open_window();
  select(*window, window->list()->model()->index(1, 0));
  window->run(Command::CopyLink);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("dovel://file/a.bin:") + kHashB + ":10");
}

TEST_F(DownStatusDialogTest, RunAndDoubleClickOpenTheFinishedFile) {
  dovel::test::TempFolder home;
  const std::filesystem::path file = home.write("Download/done.txt", "data");
  download::ListRow done = list_row(kHashB, "done.txt", ItemState::Finished, 4, 4);
  done.item.download_folder = (home / "Download").string();
  recorder.rows[1] = done;
  auto window = open_window();
  const QAbstractItemModel& model = *window->list()->model();
  select(*window, model.index(1, 0));
  window->run(Command::Run);
  emit window->list()->doubleClicked(model.index(1, Model::kFileColumn));
  emit window->list()->doubleClicked(model.index(0, 0, model.index(0, 0)));  // a connection opens nothing
  const std::string expected = std::filesystem::canonical(file).string();
  EXPECT_EQ(recorder.opened, (std::vector<std::string>{expected, expected}));
}

TEST_F(DownStatusDialogTest, SpeedLimitBoxStoresItsRowAndAppliesItsLimit) {
  recorder.stored_row = 2;
  auto window = open_window();
  QComboBox& box = *window->speed_limit_box();
  ASSERT_EQ(box.count(), 10);
  EXPECT_EQ(box.itemText(0), "제한없음");
  EXPECT_EQ(box.currentIndex(), 2);
  EXPECT_EQ(recorder.applied_limits, std::vector<uint32_t>{2000u * 1024});
  box.setCurrentIndex(9);
  box.setCurrentIndex(0);
  EXPECT_EQ(recorder.stored_rows, (std::vector<uint32_t>{9, 0}));
  EXPECT_EQ(recorder.applied_limits, (std::vector<uint32_t>{2000u * 1024, 50u * 1024, 0x40000000u}));
}

TEST_F(DownStatusDialogTest, StoredSpeedLimitRowOutsideTheBoxMeansNoLimit) {
  recorder.stored_row = 42;
  auto window = open_window();
  EXPECT_EQ(window->speed_limit_box()->currentIndex(), 0);
  EXPECT_EQ(recorder.applied_limits, std::vector<uint32_t>{0x40000000u});
}

TEST_F(DownStatusDialogTest, CheckBoxesShowAndWriteTheirSettings) {
  auto window = open_window();
  EXPECT_EQ(window->auto_stop_box()->toolTip(),
            "허위신고된 파일일 경우 자동으로 전송이 중지됩니다. 받으시려면 체크를 해제후 재시도 바랍니다.");
  EXPECT_TRUE(window->multi_down_box()->isChecked());
  EXPECT_FALSE(window->auto_stop_box()->isChecked());
  window->multi_down_box()->click();
  window->auto_stop_box()->click();
  EXPECT_FALSE(recorder.multi_down);
  EXPECT_TRUE(recorder.auto_stop);
}

TEST_F(DownStatusDialogTest, ButtonsCarryTheirTipsAndMissingCommandsAreDisabled) {
  DownloadCommands commands = commands_for(recorder);
  commands.remove = nullptr;
  auto window = open_window(std::move(commands));
  EXPECT_EQ(window->button(Command::RemoveFinished)->toolTip(), "완료된 파일을 모두 목록에서 제거합니다.");
  EXPECT_EQ(window->button(Command::OpenDownloadFolder)->toolTip(), "다운로드폴더를 엽니다.");
  EXPECT_EQ(window->button(Command::MoveUp)->toolTip(), "선택된 항목을 위로 한칸 이동시킵니다.");
  EXPECT_EQ(window->button(Command::MoveDown)->toolTip(), "선택된 항목을 아래로 한칸 이동시킵니다.");
  EXPECT_FALSE(window->button(Command::Remove)->isEnabled());
  EXPECT_TRUE(window->button(Command::Resume)->isEnabled());
}

TEST_F(DownStatusDialogTest, RefreshTimerRunsOnlyWhileTheWindowIsShown) {
  auto window = open_window();
  EXPECT_EQ(window->refresh_timer().interval(), 2000);
  EXPECT_FALSE(window->refresh_timer().isActive());
  window->show();
  EXPECT_TRUE(window->refresh_timer().isActive());
  window->hide();
  EXPECT_FALSE(window->refresh_timer().isActive());
}

}  // namespace
}  // namespace dovel::ui
