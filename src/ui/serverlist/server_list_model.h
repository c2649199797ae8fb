#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include <optional>
#include <string>
#include <vector>

#include "service/server_directory.h"

namespace dovel::ui {

// Where a row's server is, read back from its hidden columns.
struct ServerRowTarget {
  std::string address;  // dotted IPv4
  uint16_t port = 0;
  std::string owner_id;
  bool operator==(const ServerRowTarget&) const = default;
};

// The servers of one channel as the server list shows them. Rows keep their
// identity (owner, address, port) across new lists, so the view's selection
// survives a refresh; the order is always that of the chosen sort key.
class ServerListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column {
    kIconColumn,
    kOwnerColumn,  // hidden
    kTitleColumn,
    kExploreColumn,
    kFavoriteColumn,
    kOpenedColumn,
    kSharedColumn,
    kFilesColumn,
    kPeakColumn,
    // Hidden: the packed opening time, and where the server is (letter-pair encoded).
    kOpenedKeyColumn,
    kAddressColumn,
    kPortColumn,
    kOwnerIdColumn,
    kColumnCount
  };
  static constexpr int kFirstHiddenColumn = kOpenedKeyColumn;

  // The sort combo's entries, in its order. Icon, title and opening time sort
  // ascending, the amounts descending; ties keep their order.
  enum class SortKey { Icon, Title, OpenedTime, Shared, Files, Peak };
  static constexpr int kSortKeyCount = 6;
  static constexpr SortKey kDefaultSortKey = SortKey::Shared;

  explicit ServerListModel(QObject* parent = nullptr);

  // The list of `channel` (0..2) of these lists; no rows for another channel or a list that did not come.
  void set_snapshot(const service::ServerLists& lists, int channel);
  // These servers, in this order before sorting: rows still there are updated in place.
  void set_servers(const std::vector<service::ListedServer>& servers);
  void sort_by(SortKey key);
  SortKey sort_key() const { return sort_key_; }
  // The key a header click on `column` sorts by; nullopt for columns that do not sort.
  static std::optional<SortKey> sort_key_of_column(int column);

  // The "즐겨찾기" link is shown as a link only while there is somewhere to add to.
  void set_favorites_enabled(bool enabled);

  const service::ListedServer& server(int row) const { return rows_[static_cast<size_t>(row)].server; }
  // The decoded address, port and owner ID of a row's hidden columns; nullopt when they do not decode.
  std::optional<ServerRowTarget> target(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  struct Row {
    service::ListedServer server;
    QStringList texts;  // one per column
    size_t arrival = 0;  // place in the last list, for ties after a refresh
  };
  static QStringList texts_of(const service::ListedServer& server);
  static std::string identity_of(const service::ListedServer& server);
  void remove_rows_not_in(const std::vector<std::string>& identities);
  // Stable sort by the key; with `by_arrival`, ties follow the order the list came in.
  void arrange(bool by_arrival);
  bool precedes(const Row& a, const Row& b) const;

  std::vector<Row> rows_;
  SortKey sort_key_ = kDefaultSortKey;
  bool favorites_enabled_ = true;
  QIcon open_icon_;
  QIcon locked_icon_;
};

}  // namespace dovel::ui
