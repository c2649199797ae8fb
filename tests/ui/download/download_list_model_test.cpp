#include "ui/download/download_list_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>

#include "ui/download/download_rows.h"
#include "util/letter_pair.h"

namespace dovel::ui {
namespace {

using download::ItemState;
using test::connection;
using test::list_row;
using test::with_connections;
using Model = DownloadListModel;

constexpr const char* kHashA = "0123456789ABCDEF0123456789ABCDEF";
constexpr const char* kHashB = "FEDCBA9876543210FEDCBA9876543210";
constexpr const char* kHashC = "00112233445566778899AABBCCDDEEFF";

platform::Ipv4 address(const char* dotted) { return *platform::parse_ipv4(dotted); }

QString text(const Model& model, int row, int column, const QModelIndex& parent = QModelIndex()) {
  return model.index(row, column, parent).data().toString();
}

TEST(DownloadListModelTest, HasTheFifteenHeadings) {
  Model model;
  const QStringList expected = {"상태",     "ID",       "파일",     "다운수", "총크기", "현재",     "비율", "평균속도",
                                "순간속도", "남은시간", "비고",     "..",     "별머니(원)/저작권정보", "다운로드", "안내"};
  ASSERT_EQ(model.columnCount(), expected.size());
  for (int column = 0; column < model.columnCount(); ++column) {
    EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), expected[column]) << column;
  }
}

TEST(DownloadListModelTest, TopRowShowsTheCoreTextsOfItsFile) {
  download::ListRow row = list_row(kHashA, "movie.avi", ItemState::Transferring, 10 * 1024 * 1024, 2621440);
  row.item.peer_id = "uploader";
  row.item.pending_connections = 1;
  row.item.average_speed = 100 * 1024;
  row.item.current_speed = 50 * 1024;
  row.item.status_code = 12;
  row.texts = download::item_texts(row.item);
  Model model;
  model.set_rows({row});

  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_EQ(text(model, 0, Model::kStateColumn), "전송중");
  EXPECT_EQ(text(model, 0, Model::kIdColumn), QString::fromStdString(util::Encode("uploader")));
  EXPECT_EQ(text(model, 0, Model::kFileColumn), "movie.avi");
  EXPECT_EQ(text(model, 0, Model::kConnectionsColumn), "0/1");
  EXPECT_EQ(text(model, 0, Model::kSizeColumn), "10,240 K");
  EXPECT_EQ(text(model, 0, Model::kReceivedColumn), "2,560 K");
  EXPECT_EQ(text(model, 0, Model::kPercentColumn), "25%");
  EXPECT_EQ(model.index(0, Model::kPercentColumn).data(Model::kPercentRole).toInt(), 25);
  EXPECT_EQ(text(model, 0, Model::kAverageSpeedColumn), "100 K");
  EXPECT_EQ(text(model, 0, Model::kCurrentSpeedColumn), "50 K");
  EXPECT_EQ(text(model, 0, Model::kRemainingColumn), "00:01:16");
  EXPECT_EQ(text(model, 0, Model::kStatusColumn), "상대가 끊음");
  EXPECT_EQ(text(model, 0, Model::kRunColumn), "실행");  // a media file can be previewed
  for (int column : {Model::kPaidPriceColumn, Model::kPaidDownloadColumn, Model::kPaidGuideColumn}) {
    EXPECT_EQ(text(model, 0, column), "--") << column;
  }
  EXPECT_FALSE(model.index(0, Model::kSizeColumn).data(Model::kPercentRole).isValid());
}

TEST(DownloadListModelTest, PaidFileShowsItsPriceUnlessTheSessionSkipsThePaidRules) {
  download::ListRow row = list_row(kHashA, "a.txt", ItemState::Stopped, 1024, 0);
  row.item.paid_state = 3;
  row.item.price = 20000;
  row.item.copyright_text = "저작권사";
  Model model;
  model.set_rows({row});
  EXPECT_EQ(text(model, 0, Model::kPaidPriceColumn), "20,000(1,000)/저작권사");
  EXPECT_EQ(text(model, 0, Model::kPaidDownloadColumn), "충전");
  EXPECT_EQ(text(model, 0, Model::kPaidGuideColumn), "안내");
  model.set_transfer_flag(true);
  EXPECT_EQ(text(model, 0, Model::kPaidPriceColumn), "--");
}

TEST(DownloadListModelTest, ShownNamesGoThroughTheMask) {
  Model model;
  model.set_name_mask([](const std::string& name) { return "**" + name.substr(2); });
  model.set_rows({list_row(kHashA, "bad.txt", ItemState::Waiting, 1, 0)});
  EXPECT_EQ(text(model, 0, Model::kFileColumn), "**d.txt");
  EXPECT_EQ(model.row_at(model.index(0, 0))->item.file_name, "bad.txt");
}

TEST(DownloadListModelTest, ChildRowsFollowTheConnections) {
  const download::ListRow base = list_row(kHashA, "a.bin", ItemState::Transferring, 4096, 1024);
  Model model;
  model.set_rows({base});
  const QModelIndex parent = model.index(0, 0);
  EXPECT_EQ(model.rowCount(parent), 0);

  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
  download::ConnectionView first = connection(7, address("10.0.0.1"), 9910);
  first.piece_start = 0;
  first.piece_end = 2048;
  first.received_in_piece = 512;
  download::ListRow two = with_connections(base, {first, connection(8, address("10.0.0.2"), 9911)});
  two.item.sources = {{address("10.0.0.1"), 9910, "alice"}, {address("10.0.0.2"), 9911, ""}};
  model.set_rows({two});

  ASSERT_EQ(model.rowCount(parent), 2);
  EXPECT_EQ(inserted.count(), 2);
  for (const QList<QVariant>& arguments : inserted) EXPECT_EQ(arguments.at(0).value<QModelIndex>(), parent);
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(text(model, 0, Model::kConnectionsColumn), "2/0");
  EXPECT_EQ(text(model, 0, Model::kFileColumn, parent), "alice (10.0.0.1:9910)");
  EXPECT_EQ(text(model, 0, Model::kIdColumn, parent), QString::fromStdString(util::Encode("alice")));
  EXPECT_EQ(text(model, 0, Model::kSizeColumn, parent), "2 K");
  EXPECT_EQ(text(model, 0, Model::kPercentColumn, parent), "25%");
  EXPECT_EQ(text(model, 1, Model::kFileColumn, parent), "10.0.0.2:9911");
  const QModelIndex child = model.index(1, 0, parent);
  EXPECT_EQ(model.parent(child), parent);
  EXPECT_TRUE(model.is_connection(child));
  EXPECT_EQ(model.row_at(child), nullptr);
  ASSERT_TRUE(model.connection_at(child));
  EXPECT_EQ(model.connection_at(child)->connection.id, 8u);
  EXPECT_EQ(model.connection_at(child)->peer_id, "");

  model.set_rows({with_connections(base, {connection(8, address("10.0.0.2"), 9911)})});
  ASSERT_EQ(model.rowCount(parent), 1);
  EXPECT_EQ(model.connection_at(model.index(0, 0, parent))->connection.id, 8u);
  model.set_rows({list_row(kHashA, "a.bin", ItemState::Stopped, 4096, 2048)});
  EXPECT_EQ(model.rowCount(parent), 0);
  EXPECT_EQ(removed.count(), 2);
  for (const QList<QVariant>& arguments : removed) EXPECT_EQ(arguments.at(0).value<QModelIndex>(), parent);
}

TEST(DownloadListModelTest, RowsAreUpdatedMovedAndRemovedInPlaceKeepingTheSelection) {
  Model model;
  model.set_rows({list_row(kHashA, "a", ItemState::Waiting, 10, 0), list_row(kHashB, "b", ItemState::Waiting, 10, 0),
                  list_row(kHashC, "c", ItemState::Waiting, 10, 0)});
  QItemSelectionModel selection(&model);
  selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

  // B moves to the top, A goes, C's progress changes.
  model.set_rows({list_row(kHashB, "b", ItemState::Waiting, 10, 0), list_row(kHashC, "c", ItemState::Transferring, 10, 5)});
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(text(model, 0, Model::kFileColumn), "b");
  EXPECT_EQ(text(model, 1, Model::kPercentColumn), "50%");
  EXPECT_EQ(reset.count(), 0);
  const QModelIndexList selected = selection.selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(model.row_at(selected.front())->item.hash, kHashB);
  EXPECT_EQ(model.index_of_hash(kHashC).row(), 1);
  EXPECT_FALSE(model.index_of_hash(kHashA).isValid());
}

TEST(DownloadListModelTest, SelectedFileStaysSelectedWhileItsConnectionsComeAndGo) {
  const download::ListRow base = list_row(kHashB, "b", ItemState::Transferring, 10, 1);
  Model model;
  model.set_rows({list_row(kHashA, "a", ItemState::Waiting, 10, 0), base});
  QItemSelectionModel selection(&model);
  selection.select(model.index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  model.set_rows({with_connections(list_row(kHashA, "a", ItemState::Transferring, 10, 0), {connection(1, address("10.0.0.9"), 1)}),
                  with_connections(base, {connection(2, address("10.0.0.1"), 1), connection(3, address("10.0.0.2"), 1)})});
  model.set_rows({list_row(kHashA, "a", ItemState::Stopped, 10, 0), base});
  const QModelIndexList selected = selection.selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(model.row_at(selected.front())->item.hash, kHashB);
}

// Qt's own consistency checks (parents, counts, signals) over a sequence of
// refreshes that adds, moves and removes files and connections; a fault aborts.
TEST(DownloadListModelTest, StaysConsistentThroughRefreshes) {
  Model model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  const download::ListRow a = list_row(kHashA, "a", ItemState::Transferring, 10, 1);
  const download::ListRow b = list_row(kHashB, "b", ItemState::Transferring, 10, 1);
  const download::ListRow c = list_row(kHashC, "c", ItemState::Waiting, 10, 0);
  const auto one = connection(1, address("10.0.0.1"), 1);
  const auto two = connection(2, address("10.0.0.2"), 2);
  const auto three = connection(3, address("10.0.0.3"), 3);
  const std::vector<std::vector<download::ListRow>> steps = {
      {a, b, c},
      {with_connections(a, {one, two}), b, with_connections(c, {three})},
      {with_connections(c, {three, one}), with_connections(a, {two, one}), b},
      {b, with_connections(a, {two})},
      {},
      {c, with_connections(b, {one, two, three}), a},
  };
  for (const auto& rows : steps) {
    model.set_rows(rows);
    ASSERT_EQ(model.rowCount(), static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
      const QModelIndex parent = model.index(static_cast<int>(i), 0);
      EXPECT_EQ(model.row_at(parent)->item.hash, rows[i].item.hash);
      ASSERT_EQ(model.rowCount(parent), static_cast<int>(rows[i].item.connections.size()));
      for (size_t k = 0; k < rows[i].item.connections.size(); ++k) {
        EXPECT_EQ(model.connection_at(model.index(static_cast<int>(k), 0, parent))->connection.id, rows[i].item.connections[k].id);
      }
    }
  }
}

}  // namespace
}  // namespace dovel::ui
