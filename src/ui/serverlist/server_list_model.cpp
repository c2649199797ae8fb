#include "ui/serverlist/server_list_model.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <map>
#include <numeric>

#include "base/string_printf.h"
#include "base/text.h"
#include "util/format.h"
#include "util/letter_pair.h"

namespace dovel::ui {
namespace {

constexpr const char* kHeadings[ServerListModel::kColumnCount] = {
    "", "개설자", "제목", "탐색", "즐겨찾기", "개설시간", "공유량", "파일수", "최고속도", "", "", "", ""};
constexpr const char* kExploreLink = "탐색";
constexpr const char* kFavoriteLink = "즐겨찾기";

QString text_of(const std::string& utf8) { return QString::fromStdString(utf8); }

QIcon row_icon(bool locked) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  if (locked) {
    painter.setPen(QPen(QColor(120, 120, 120), 2));
    painter.drawArc(QRectF(4.5, 1.5, 7, 8), 0, 180 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 140, 30));
    painter.drawRoundedRect(QRectF(3, 7, 10, 8), 1.5, 1.5);
  } else {
    painter.setPen(QPen(QColor(30, 110, 40), 1));
    painter.setBrush(QColor(70, 180, 80));
    painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
  }
  return QIcon(pixmap);
}

// The row's keys, one per sort key, in the key's own direction: smaller comes first.
bool key_before(ServerListModel::SortKey key, const service::ListedServer& a, const service::ListedServer& b) {
  switch (key) {
    case ServerListModel::SortKey::Icon: return a.lock < b.lock;
    case ServerListModel::SortKey::Title: return a.title < b.title;
    case ServerListModel::SortKey::OpenedTime: return a.opened_key < b.opened_key;
    case ServerListModel::SortKey::Shared: return a.shared_mib > b.shared_mib;
    case ServerListModel::SortKey::Files: return a.shared_files > b.shared_files;
    case ServerListModel::SortKey::Peak: return a.peak_speed > b.peak_speed;
  }
  return false;
}

bool is_link_column(int column) { return column == ServerListModel::kExploreColumn || column == ServerListModel::kFavoriteColumn; }

}  // namespace

ServerListModel::ServerListModel(QObject* parent)
    : QAbstractTableModel(parent), open_icon_(row_icon(false)), locked_icon_(row_icon(true)) {}

std::optional<ServerListModel::SortKey> ServerListModel::sort_key_of_column(int column) {
  switch (column) {
    case kIconColumn: return SortKey::Icon;
    case kTitleColumn: return SortKey::Title;
    case kOpenedColumn: return SortKey::OpenedTime;
    case kSharedColumn: return SortKey::Shared;
    case kFilesColumn: return SortKey::Files;
    case kPeakColumn: return SortKey::Peak;
    default: return std::nullopt;
  }
}

QStringList ServerListModel::texts_of(const service::ListedServer& server) {
  QStringList texts;
  texts.reserve(kColumnCount);
  texts << QString() << text_of(server.user_id) << text_of(server.title) << QString::fromUtf8(kExploreLink)
        << QString::fromUtf8(kFavoriteLink)
        << text_of(base::string_printf("%02d/%02d %02d:%02d", server.opened_month, server.opened_day, server.opened_hour,
                                       server.opened_minute))
        << text_of(util::FormatNumber(server.shared_mib) + " M") << text_of(util::FormatNumber(server.shared_files))
        << text_of(util::FormatNumber(server.peak_speed / 1024) + " K") << QString::number(server.opened_key)
        << text_of(util::Encode(platform::format_ipv4(server.address))) << text_of(util::Encode(std::to_string(server.port)))
        << text_of(util::EncodeWire(server.user_id));
  return texts;
}

std::string ServerListModel::identity_of(const service::ListedServer& server) {
  return base::ascii_lower(server.user_id) + '\n' + platform::format_ipv4(server.address) + ':' + std::to_string(server.port);
}

void ServerListModel::set_snapshot(const service::ServerLists& lists, int channel) {
  static const std::vector<service::ListedServer> kNone;
  const bool known = channel >= 0 && static_cast<size_t>(channel) < lists.channels.size() && lists.channels[static_cast<size_t>(channel)];
  set_servers(known ? *lists.channels[static_cast<size_t>(channel)] : kNone);
}

void ServerListModel::set_servers(const std::vector<service::ListedServer>& servers) {
  // The same server twice in one list stays two rows: the n-th of an identity matches the n-th.
  std::vector<std::string> identities;
  identities.reserve(servers.size());
  std::map<std::string, int> seen;
  for (const service::ListedServer& server : servers) {
    std::string identity = identity_of(server);
    identities.push_back(identity + '#' + std::to_string(seen[identity]++));
  }
  remove_rows_not_in(identities);

  std::map<std::string, size_t> kept;
  seen.clear();
  for (size_t row = 0; row < rows_.size(); ++row) {
    const std::string identity = identity_of(rows_[row].server);
    kept.emplace(identity + '#' + std::to_string(seen[identity]++), row);
  }
  std::vector<Row> added;
  int first_changed = -1;
  int last_changed = -1;
  for (size_t i = 0; i < servers.size(); ++i) {
    QStringList texts = texts_of(servers[i]);
    auto found = kept.find(identities[i]);
    if (found == kept.end()) {
      added.push_back({servers[i], std::move(texts), i});
      continue;
    }
    Row& row = rows_[found->second];
    const int at = static_cast<int>(found->second);
    if (row.texts != texts || row.server.lock != servers[i].lock) {
      first_changed = first_changed < 0 ? at : std::min(first_changed, at);
      last_changed = std::max(last_changed, at);
    }
    row = {servers[i], std::move(texts), i};
  }
  if (first_changed >= 0) emit dataChanged(index(first_changed, 0), index(last_changed, kColumnCount - 1));
  if (!added.empty()) {
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    for (Row& row : added) rows_.push_back(std::move(row));
    endInsertRows();
  }
  arrange(true);
}

void ServerListModel::remove_rows_not_in(const std::vector<std::string>& identities) {
  std::vector<std::string> wanted(identities);
  std::sort(wanted.begin(), wanted.end());
  std::vector<bool> stays(rows_.size());
  std::map<std::string, int> seen;
  for (size_t row = 0; row < rows_.size(); ++row) {
    const std::string identity = identity_of(rows_[row].server);
    stays[row] = std::binary_search(wanted.begin(), wanted.end(), identity + '#' + std::to_string(seen[identity]++));
  }
  // From the end, one contiguous run at a time.
  for (int last = static_cast<int>(rows_.size()) - 1; last >= 0;) {
    if (stays[static_cast<size_t>(last)]) {
      --last;
      continue;
    }
    int first = last;
    while (first > 0 && !stays[static_cast<size_t>(first - 1)]) --first;
    beginRemoveRows({}, first, last);
    rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
    endRemoveRows();
    last = first - 1;
  }
}

void ServerListModel::sort_by(SortKey key) {
  sort_key_ = key;
  arrange(false);
}

bool ServerListModel::precedes(const Row& a, const Row& b) const { return key_before(sort_key_, a.server, b.server); }

void ServerListModel::arrange(bool by_arrival) {
  std::vector<size_t> order(rows_.size());
  std::iota(order.begin(), order.end(), size_t{0});
  if (by_arrival) std::sort(order.begin(), order.end(), [this](size_t a, size_t b) { return rows_[a].arrival < rows_[b].arrival; });
  std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) { return precedes(rows_[a], rows_[b]); });
  bool unchanged = true;
  for (size_t place = 0; place < order.size() && unchanged; ++place) unchanged = order[place] == place;
  if (unchanged) return;

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> new_place(rows_.size());
  for (size_t place = 0; place < order.size(); ++place) new_place[order[place]] = static_cast<int>(place);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& old : before) after << index(new_place[static_cast<size_t>(old.row())], old.column());
  std::vector<Row> arranged;
  arranged.reserve(rows_.size());
  for (size_t from : order) arranged.push_back(std::move(rows_[from]));
  rows_ = std::move(arranged);
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ServerListModel::set_favorites_enabled(bool enabled) {
  if (favorites_enabled_ == enabled) return;
  favorites_enabled_ = enabled;
  if (!rows_.empty()) emit dataChanged(index(0, kFavoriteColumn), index(rowCount() - 1, kFavoriteColumn));
}

std::optional<ServerRowTarget> ServerListModel::target(int row) const {
  if (row < 0 || row >= rowCount()) return std::nullopt;
  const QStringList& texts = rows_[static_cast<size_t>(row)].texts;
  const std::string address = util::Decode(texts[kAddressColumn].toStdString());
  const std::optional<uint32_t> port = base::parse_uint32(util::Decode(texts[kPortColumn].toStdString()));
  if (!platform::parse_ipv4(address) || !port || *port == 0 || *port > 0xFFFF) return std::nullopt;
  return ServerRowTarget{address, static_cast<uint16_t>(*port), util::DecodeWire(texts[kOwnerIdColumn].toStdString())};
}

int ServerListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(rows_.size()); }

int ServerListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant ServerListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) return {};
  const Row& row = rows_[static_cast<size_t>(index.row())];
  const int column = index.column();
  const bool live_link = is_link_column(column) && (column == kExploreColumn || favorites_enabled_);
  switch (role) {
    case Qt::DisplayRole:
      return row.texts[column];
    case Qt::DecorationRole:
      if (column != kIconColumn) return {};
      return row.server.lock != 0 ? locked_icon_ : open_icon_;
    case Qt::TextAlignmentRole:
      if (column == kSharedColumn || column == kFilesColumn || column == kPeakColumn) return int(Qt::AlignRight | Qt::AlignVCenter);
      if (column == kOpenedColumn || is_link_column(column)) return int(Qt::AlignCenter);
      return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
      if (!is_link_column(column)) return {};
      return live_link ? QColor(Qt::blue) : QColor(Qt::gray);
    case Qt::FontRole:
      if (!live_link) return {};
      {
        QFont font;
        font.setUnderline(true);
        return font;
      }
    default:
      return {};
  }
}

QVariant ServerListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromUtf8(kHeadings[section]);
  return {};
}

}  // namespace dovel::ui
