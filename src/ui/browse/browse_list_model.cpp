#include "ui/browse/browse_list_model.h"

#include <QApplication>
#include <QStyle>

#include <unordered_map>
#include <unordered_set>

namespace dovel::ui {
namespace {

constexpr const char* kHeadings[BrowseListModel::kColumnCount] = {"파일", "크기", "시간", "권한", "", "", "", "hash", "", ""};

QString qt_text(const std::string& text) { return QString::fromStdString(text); }

QString column_text(const browse::ListingRow& row, int column) {
  switch (column) {
    case BrowseListModel::kNameColumn: return qt_text(row.shown_name);
    case BrowseListModel::kSizeColumn: return qt_text(row.size_text);
    case BrowseListModel::kTimeColumn: return qt_text(row.time_text);
    case BrowseListModel::kAttributeColumn: return qt_text(row.attribute_text);
    case BrowseListModel::kBytesColumn: return QString::number(row.size);
    case BrowseListModel::kAttributeBitsColumn: return QString::number(row.attributes);
    case BrowseListModel::kKindColumn: return qt_text(row.kind);
    case BrowseListModel::kHashColumn: return qt_text(row.hash);
    case BrowseListModel::kEncodedNameColumn: return qt_text(row.encoded_name);
    case BrowseListModel::kFiletimeColumn: return QString::number(row.time);
    default: return {};
  }
}

QIcon row_icon(const browse::ListingRow& row) {
  QStyle* style = QApplication::style();
  if (style == nullptr) return {};
  if (row.is_file()) return style->standardIcon(QStyle::SP_FileIcon);
  if (row.name == "..") return style->standardIcon(QStyle::SP_FileDialogToParent);
  if (row.is_share_root()) return style->standardIcon(QStyle::SP_DriveHDIcon);
  return style->standardIcon(QStyle::SP_DirIcon);
}

bool same_row(const browse::ListingRow& a, const browse::ListingRow& b) {
  return a.shown_name == b.shown_name && a.size_text == b.size_text && a.time_text == b.time_text &&
         a.attribute_text == b.attribute_text && a.size == b.size && a.attributes == b.attributes && a.kind == b.kind &&
         a.hash == b.hash && a.encoded_name == b.encoded_name && a.time == b.time && a.name == b.name;
}

// One key per row: kind and name, and a count for a name a listing repeats.
std::vector<std::string> keys_of(const std::vector<browse::ListingRow>& rows) {
  std::vector<std::string> keys;
  keys.reserve(rows.size());
  std::unordered_map<std::string, int> seen;
  for (const browse::ListingRow& row : rows) {
    std::string key = row.kind + '\x1f' + row.name;
    const int repeat = seen[key]++;
    keys.push_back(key + '\x1f' + std::to_string(repeat));
  }
  return keys;
}

}  // namespace

BrowseListModel::BrowseListModel(QObject* parent) : QAbstractTableModel(parent) {}

void BrowseListModel::set_snapshot(const browse::BrowserSnapshot& snapshot) { set_rows(snapshot.rows); }

void BrowseListModel::set_rows(const std::vector<browse::ListingRow>& rows) {
  const std::vector<std::string> new_keys = keys_of(rows);
  remove_rows_not_in(new_keys);
  move_kept_rows_into_order(new_keys);
  insert_new_rows(rows, new_keys);
  update_changed_rows(rows);
}

void BrowseListModel::remove_rows_not_in(const std::vector<std::string>& wanted_keys) {
  const std::unordered_set<std::string> wanted(wanted_keys.begin(), wanted_keys.end());
  int last = static_cast<int>(rows_.size()) - 1;
  while (last >= 0) {
    if (wanted.count(keys_[static_cast<size_t>(last)]) != 0) {
      --last;
      continue;
    }
    int first = last;
    while (first > 0 && wanted.count(keys_[static_cast<size_t>(first - 1)]) == 0) --first;
    beginRemoveRows(QModelIndex(), first, last);
    rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
    keys_.erase(keys_.begin() + first, keys_.begin() + last + 1);
    endRemoveRows();
    last = first - 1;
  }
}

void BrowseListModel::move_kept_rows_into_order(const std::vector<std::string>& new_keys) {
  std::unordered_map<std::string, size_t> kept_at;
  for (size_t i = 0; i < keys_.size(); ++i) kept_at.emplace(keys_[i], i);
  std::vector<size_t> order;  // old positions of the kept rows, in their new order
  order.reserve(keys_.size());
  for (const std::string& key : new_keys) {
    auto found = kept_at.find(key);
    if (found != kept_at.end()) order.push_back(found->second);
  }
  bool in_order = true;
  for (size_t i = 0; i < order.size() && in_order; ++i) in_order = order[i] == i;
  if (in_order) return;

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> new_place(order.size());
  for (size_t i = 0; i < order.size(); ++i) new_place[order[i]] = static_cast<int>(i);
  const QModelIndexList persistent = persistentIndexList();
  QModelIndexList moved;
  moved.reserve(persistent.size());
  for (const QModelIndex& index : persistent) moved.append(this->index(new_place[static_cast<size_t>(index.row())], index.column()));
  changePersistentIndexList(persistent, moved);
  std::vector<browse::ListingRow> rows;
  std::vector<std::string> keys;
  rows.reserve(order.size());
  keys.reserve(order.size());
  for (size_t old_place : order) {
    rows.push_back(std::move(rows_[old_place]));
    keys.push_back(std::move(keys_[old_place]));
  }
  rows_ = std::move(rows);
  keys_ = std::move(keys);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// The kept rows are already in the new order, so every place where the keys
// differ starts a run of new rows.
void BrowseListModel::insert_new_rows(const std::vector<browse::ListingRow>& rows, const std::vector<std::string>& new_keys) {
  size_t place = 0;
  while (place < new_keys.size()) {
    if (place < keys_.size() && keys_[place] == new_keys[place]) {
      ++place;
      continue;
    }
    size_t end = place;
    const std::string next_kept = place < keys_.size() ? keys_[place] : std::string();
    while (end < new_keys.size() && (next_kept.empty() || new_keys[end] != next_kept)) ++end;
    beginInsertRows(QModelIndex(), static_cast<int>(place), static_cast<int>(end - 1));
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(place), rows.begin() + static_cast<std::ptrdiff_t>(place),
                 rows.begin() + static_cast<std::ptrdiff_t>(end));
    keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(place), new_keys.begin() + static_cast<std::ptrdiff_t>(place),
                 new_keys.begin() + static_cast<std::ptrdiff_t>(end));
    endInsertRows();
    place = end;
  }
}

void BrowseListModel::update_changed_rows(const std::vector<browse::ListingRow>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (same_row(rows_[i], rows[i])) continue;
    rows_[i] = rows[i];
    const int row = static_cast<int>(i);
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
  }
}

int BrowseListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(rows_.size()); }

int BrowseListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant BrowseListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) return {};
  const browse::ListingRow& row = rows_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole: return column_text(row, index.column());
    case Qt::DecorationRole: return index.column() == kNameColumn ? QVariant(row_icon(row)) : QVariant();
    case Qt::TextAlignmentRole: {
      const bool right = index.column() == kSizeColumn || index.column() == kTimeColumn;
      return QVariant::fromValue(Qt::Alignment(right ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter));
    }
    default: return {};
  }
}

QVariant BrowseListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromUtf8(kHeadings[section]);
  if (role == Qt::TextAlignmentRole) {
    const bool right = section == kSizeColumn || section == kTimeColumn;
    return QVariant::fromValue(Qt::Alignment(right ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter));
  }
  return {};
}

}  // namespace dovel::ui
