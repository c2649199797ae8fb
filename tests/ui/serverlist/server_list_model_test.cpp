#include "ui/serverlist/server_list_model.h"

#include <QAbstractItemModelTester>
#include <QFont>
#include <QIcon>
#include <QPersistentModelIndex>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "ui/serverlist/server_list_fixture.h"
#include "util/letter_pair.h"

namespace dovel::ui {
namespace {

using test::listed;
using test::ServerSpec;
using Key = ServerListModel::SortKey;

std::string text(const ServerListModel& model, int row, int column) { return model.index(row, column).data().toString().toStdString(); }

std::vector<std::string> titles(const ServerListModel& model) {
  std::vector<std::string> shown;
  for (int row = 0; row < model.rowCount(); ++row) shown.push_back(text(model, row, ServerListModel::kTitleColumn));
  return shown;
}

TEST(ServerListModelTest, ColumnTextsAndHiddenColumns) {
  ServerListModel model;
  model.set_servers({listed(ServerSpec{.user_id = "peer",
                             .title = "영화 모음",
                             .address = "10.0.0.5",
                             .port = 9910,
                             .lock = 1,
                             .opened_key = (3u << 24) | (7u << 16) | (9u << 8) | 5u,
                             .shared_mib = 1234567,
                             .files = 98765,
                             .peak = 5000000})});
  ASSERT_EQ(model.rowCount(), 1);
  ASSERT_EQ(model.columnCount(), ServerListModel::kColumnCount);
  const std::vector<std::pair<int, std::string>> expected = {
      {ServerListModel::kIconColumn, ""},
      {ServerListModel::kOwnerColumn, "peer"},
      {ServerListModel::kTitleColumn, "영화 모음"},
      {ServerListModel::kExploreColumn, "탐색"},
      {ServerListModel::kFavoriteColumn, "즐겨찾기"},
      {ServerListModel::kOpenedColumn, "03/07 09:05"},
      {ServerListModel::kSharedColumn, "1,234,567 M"},
      {ServerListModel::kFilesColumn, "98,765"},
      {ServerListModel::kPeakColumn, "4,882 K"},
      {ServerListModel::kOpenedKeyColumn, std::to_string((3u << 24) | (7u << 16) | (9u << 8) | 5u)},
      {ServerListModel::kAddressColumn, util::Encode("10.0.0.5")},
      {ServerListModel::kPortColumn, util::Encode("9910")},
      {ServerListModel::kOwnerIdColumn, util::EncodeWire("peer")},
  };
  for (const auto& [column, shown] : expected) EXPECT_EQ(text(model, 0, column), shown) << "column " << column;
  EXPECT_EQ(model.target(0), (ServerRowTarget{"10.0.0.5", 9910, "peer"}));
  EXPECT_FALSE(model.index(0, ServerListModel::kIconColumn).data(Qt::DecorationRole).value<QIcon>().isNull());
}

TEST(ServerListModelTest, Headings) {
  ServerListModel model;
  const char* headings[] = {"", "개설자", "제목", "탐색", "즐겨찾기", "개설시간", "공유량", "파일수", "최고속도"};
  for (int column = 0; column < static_cast<int>(std::size(headings)); ++column) {
    EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString().toStdString(), headings[column]);
  }
}

TEST(ServerListModelTest, SmallNumbersAndZeroPaddedTimes) {
  ServerListModel model;
  model.set_servers({listed(ServerSpec{.user_id = "a", .title = "t", .opened_key = (12u << 24) | (31u << 16) | (23u << 8) | 59u, .shared_mib = 0,
                             .files = 7, .peak = 1023})});
  EXPECT_EQ(text(model, 0, ServerListModel::kOpenedColumn), "12/31 23:59");
  EXPECT_EQ(text(model, 0, ServerListModel::kSharedColumn), "0 M");
  EXPECT_EQ(text(model, 0, ServerListModel::kFilesColumn), "7");
  EXPECT_EQ(text(model, 0, ServerListModel::kPeakColumn), "0 K") << "less than a KiB/s is 0 K";
}

TEST(ServerListModelTest, FavoritesLinkLooksDisabledWithoutFavorites) {
  ServerListModel model;
  model.set_servers({listed(ServerSpec{.user_id = "a", .title = "t"})});
  EXPECT_TRUE(model.index(0, ServerListModel::kFavoriteColumn).data(Qt::FontRole).value<QFont>().underline());
  model.set_favorites_enabled(false);
  EXPECT_FALSE(model.index(0, ServerListModel::kFavoriteColumn).data(Qt::FontRole).isValid());
  EXPECT_TRUE(model.index(0, ServerListModel::kExploreColumn).data(Qt::FontRole).value<QFont>().underline());
}

// Four servers whose every key gives another order.
std::vector<service::ListedServer> sortable_servers() {
  return listed(std::vector<ServerSpec>{
      {.user_id = "u1", .title = "c", .address = "10.0.0.1", .lock = 1, .opened_key = 300, .shared_mib = 10, .files = 40, .peak = 2048},
      {.user_id = "u2", .title = "a", .address = "10.0.0.2", .lock = 0, .opened_key = 100, .shared_mib = 30, .files = 10, .peak = 1024},
      {.user_id = "u3", .title = "d", .address = "10.0.0.3", .lock = 1, .opened_key = 200, .shared_mib = 20, .files = 30, .peak = 4096},
      {.user_id = "u4", .title = "b", .address = "10.0.0.4", .lock = 0, .opened_key = 400, .shared_mib = 40, .files = 20, .peak = 3072},
  });
}

TEST(ServerListModelTest, EachKeySortsInItsDirection) {
  const struct {
    Key key;
    std::vector<std::string> order;
  } cases[] = {
      {Key::Icon, {"a", "b", "c", "d"}},        // lock ascending, ties in list order
      {Key::Title, {"a", "b", "c", "d"}},       // ascending
      {Key::OpenedTime, {"a", "d", "c", "b"}},  // ascending
      {Key::Shared, {"b", "a", "d", "c"}},      // descending
      {Key::Files, {"c", "d", "b", "a"}},       // descending
      {Key::Peak, {"d", "b", "c", "a"}},        // descending
  };
  for (const auto& c : cases) {
    ServerListModel model;
    model.sort_by(c.key);
    model.set_servers(sortable_servers());
    EXPECT_EQ(titles(model), c.order) << "a new list, key " << static_cast<int>(c.key);
    ServerListModel resorted;
    resorted.sort_by(Key::Title);
    resorted.set_servers(sortable_servers());
    resorted.sort_by(c.key);
    EXPECT_EQ(titles(resorted), c.order) << "sorted again, key " << static_cast<int>(c.key);
  }
}

TEST(ServerListModelTest, TiesKeepTheirOrder) {
  ServerListModel model;
  model.sort_by(Key::Title);
  model.set_servers(listed(std::vector<ServerSpec>{{.user_id = "x", .title = "z", .address = "10.0.0.9", .shared_mib = 5},
                                                   {.user_id = "y", .title = "a", .address = "10.0.0.8", .shared_mib = 5},
                                                   {.user_id = "w", .title = "m", .address = "10.0.0.7", .shared_mib = 9}}));
  model.sort_by(Key::Shared);
  EXPECT_EQ(titles(model), (std::vector<std::string>{"m", "a", "z"})) << "equal amounts stay in the title order they had";
}

TEST(ServerListModelTest, NewListKeepsRowsByIdentity) {
  ServerListModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.sort_by(Key::Shared);
  model.set_servers(listed(std::vector<ServerSpec>{{.user_id = "keep", .title = "kept", .address = "10.0.0.1", .shared_mib = 10},
                                                   {.user_id = "gone", .title = "gone", .address = "10.0.0.2", .shared_mib = 20}}));
  const QPersistentModelIndex kept = model.index(1, ServerListModel::kTitleColumn);
  ASSERT_EQ(kept.data().toString().toStdString(), "kept");
  QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

  model.set_servers(listed(std::vector<ServerSpec>{{.user_id = "new", .title = "new", .address = "10.0.0.3", .shared_mib = 5},
                                                   {.user_id = "KEEP", .title = "kept, renamed", .address = "10.0.0.1", .shared_mib = 1}}));
  EXPECT_EQ(removed.count(), 1);
  EXPECT_EQ(inserted.count(), 1);
  EXPECT_EQ(reset.count(), 0);
  EXPECT_EQ(titles(model), (std::vector<std::string>{"new", "kept, renamed"}));
  ASSERT_TRUE(kept.isValid());
  EXPECT_EQ(kept.data().toString().toStdString(), "kept, renamed") << "the same server, updated in place and moved by the sort";
}

TEST(ServerListModelTest, SnapshotOfOneChannel) {
  service::ServerLists lists;
  lists.channels[1] = listed(std::vector<ServerSpec>{{.user_id = "a", .title = "one"}, {.user_id = "b", .title = "two", .address = "10.0.0.2"}});
  ServerListModel model;
  model.set_snapshot(lists, 1);
  EXPECT_EQ(model.rowCount(), 2);
  model.set_snapshot(lists, 0);
  EXPECT_EQ(model.rowCount(), 0) << "a channel whose list did not come is empty";
  model.set_snapshot(lists, 1);
  model.set_snapshot(lists, -1);
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_FALSE(model.target(0));
}

}  // namespace
}  // namespace dovel::ui
