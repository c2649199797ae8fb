#include "ui/search/search_result_model.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/socket.h"
#include "util/format.h"

namespace dovel::ui {
namespace {

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

// What identifies a row across snapshots: its FileHash, or for a record without
// one where it lies; `occurrence` tells equal records apart.
std::string row_key(const search::ResultRow& row, int occurrence) {
  if (!row.hash.empty()) return "h" + row.hash;
  std::string key = "r" + row.name;
  if (const search::ResultSource* source = fastest_source(row)) {
    key += '\x1f' + source->responder_id + '\x1f' + std::to_string(source->server.address) + ':' + std::to_string(source->server.port) +
           '\x1f' + source->path + '\x1f' + std::to_string(source->share_index);
  }
  return key + '#' + std::to_string(occurrence);
}

bool same_source(const search::ResultSource* a, const search::ResultSource* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->responder_id == b->responder_id && a->server == b->server && a->response_ms == b->response_ms && a->path == b->path &&
         a->share_index == b->share_index && a->right == b->right;
}

// Whether anything a column shows differs.
bool same_shown(const search::ResultRow& a, const search::ResultRow& b) {
  return a.name == b.name && a.size == b.size && a.hash == b.hash && a.file_type == b.file_type && a.fastest_ms == b.fastest_ms &&
         a.sources.size() == b.sources.size() && same_source(fastest_source(a), fastest_source(b));
}

QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

QString cell_text(const search::ResultRow& row, int column, uint32_t number) {
  const search::ResultSource* source = fastest_source(row);
  switch (column) {
    case SearchResultModel::kNameColumn: return text(row.name);
    case SearchResultModel::kSizeColumn: return text(util::FormatNumber(row.size));
    case SearchResultModel::kSourcesColumn: return QString::number(row.sources.size());
    case SearchResultModel::kResponseColumn: return QString::asprintf("%dms", static_cast<int>(row.fastest_ms));
    case SearchResultModel::kFileIdColumn: return text(row.hash);
    case SearchResultModel::kResponderColumn: return source ? text(source->responder_id) : QString();
    case SearchResultModel::kAddressColumn: return source ? text(platform::format_ipv4(source->server.address)) : QString();
    case SearchResultModel::kPortColumn: return source ? QString::number(source->server.port) : QString();
    case SearchResultModel::kPathColumn: return source ? text(source->path) : QString();
    case SearchResultModel::kShareIndexColumn: return source ? QString::number(source->share_index) : QString();
    case SearchResultModel::kRightColumn: return source ? QString::number(source->right) : QString();
    case SearchResultModel::kFileTypeColumn: return QString::number(row.file_type);
    case SearchResultModel::kSizeBytesColumn: return QString::number(row.size);
    case SearchResultModel::kResponseMsColumn: return QString::number(row.fastest_ms);
    case SearchResultModel::kSourceCountColumn: return QString::number(row.sources.size());
    case SearchResultModel::kSearchNumberColumn: return QString::number(number);
  }
  return {};
}

}  // namespace

const search::ResultSource* fastest_source(const search::ResultRow& row) {
  const search::ResultSource* fastest = nullptr;
  for (const search::ResultSource& source : row.sources) {
    if (fastest == nullptr || source.response_ms < fastest->response_ms) fastest = &source;
  }
  return fastest;
}

SearchResultModel::ColumnLayout SearchResultModel::column_layout(int column) {
  switch (column) {
    case kNameColumn: return {"폴더&&파일", 140, kLeft};
    case kSizeColumn: return {"크기", 100, kRight};
    case kSourcesColumn: return {"파일수", 50, kRight};
    case kResponseColumn: return {"응답시간", 70, kRight};
    case kFileIdColumn: return {"파일아이디", 0, kLeft};
    default: return {"", 0, kLeft};
  }
}

SearchResultModel::SearchResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void SearchResultModel::set_snapshot(const search::ResultSnapshot& snapshot) {
  snapshot_ = snapshot;
  show(shown_rows());
}

void SearchResultModel::set_filter(std::optional<RefineFilter> filter) {
  filter_ = std::move(filter);
  show(shown_rows());
}

const search::ResultRow* SearchResultModel::row_at(int row) const {
  if (row < 0 || row >= static_cast<int>(shown_.size())) return nullptr;
  return &shown_[static_cast<size_t>(row)].row;
}

int SearchResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(shown_.size()); }

int SearchResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumnCount; }

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
  const search::ResultRow* row = index.isValid() ? row_at(index.row()) : nullptr;
  if (row == nullptr) return {};
  if (role == Qt::DisplayRole) return cell_text(*row, index.column(), snapshot_.number);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(column_layout(index.column()).alignment);
  return {};
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromUtf8(column_layout(section).title);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(column_layout(section).alignment);
  return {};
}

std::vector<SearchResultModel::Shown> SearchResultModel::shown_rows() const {
  std::vector<Shown> rows;
  std::unordered_map<std::string, int> occurrences;
  for (const search::ResultRow& row : snapshot_.rows) {
    if (filter_ && !filter_->matches(row)) continue;
    std::string key = row_key(row, 0);
    if (row.hash.empty()) key = row_key(row, occurrences[key]++);
    rows.push_back({std::move(key), row});
  }
  return rows;
}

// Brings the shown rows to `rows` in steps the view can follow: rows that are
// gone are removed, the rest put in their new order (the selection moves along),
// new rows inserted where they belong, changed rows redrawn.
void SearchResultModel::show(std::vector<Shown> rows) {
  remove_missing(rows);
  reorder_like(rows);
  insert_new(rows);
  update_changed(rows);
}

void SearchResultModel::remove_missing(const std::vector<Shown>& rows) {
  std::unordered_set<std::string> kept;
  for (const Shown& row : rows) kept.insert(row.key);
  for (int last = static_cast<int>(shown_.size()) - 1; last >= 0;) {
    if (kept.count(shown_[static_cast<size_t>(last)].key) != 0) {
      --last;
      continue;
    }
    int first = last;
    while (first > 0 && kept.count(shown_[static_cast<size_t>(first - 1)].key) == 0) --first;
    beginRemoveRows({}, first, last);
    shown_.erase(shown_.begin() + first, shown_.begin() + last + 1);
    endRemoveRows();
    last = first - 1;
  }
}

void SearchResultModel::reorder_like(const std::vector<Shown>& rows) {
  std::unordered_map<std::string, size_t> position;
  for (size_t i = 0; i < rows.size(); ++i) position[rows[i].key] = i;
  std::vector<size_t> order(shown_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return position.at(shown_[a].key) < position.at(shown_[b].key); });
  if (std::is_sorted(order.begin(), order.end())) return;

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> new_row_of(order.size());
  for (size_t now = 0; now < order.size(); ++now) new_row_of[order[now]] = static_cast<int>(now);
  std::vector<Shown> reordered;
  reordered.reserve(shown_.size());
  for (size_t old : order) reordered.push_back(std::move(shown_[old]));
  shown_ = std::move(reordered);
  QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  for (const QModelIndex& index : from) to.append(this->index(new_row_of[static_cast<size_t>(index.row())], index.column()));
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SearchResultModel::insert_new(const std::vector<Shown>& rows) {
  std::unordered_set<std::string> present;
  for (const Shown& row : shown_) present.insert(row.key);
  for (size_t i = 0; i < rows.size();) {
    if (present.count(rows[i].key) != 0) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < rows.size() && present.count(rows[end].key) == 0) ++end;
    beginInsertRows({}, static_cast<int>(i), static_cast<int>(end - 1));
    shown_.insert(shown_.begin() + static_cast<std::ptrdiff_t>(i), rows.begin() + static_cast<std::ptrdiff_t>(i),
                  rows.begin() + static_cast<std::ptrdiff_t>(end));
    endInsertRows();
    i = end;
  }
}

void SearchResultModel::update_changed(std::vector<Shown>& rows) {
  int first_changed = -1;
  int last_changed = -1;
  for (size_t i = 0; i < shown_.size(); ++i) {
    if (same_shown(shown_[i].row, rows[i].row)) continue;
    shown_[i].row = std::move(rows[i].row);
    if (first_changed < 0) first_changed = static_cast<int>(i);
    last_changed = static_cast<int>(i);
  }
  if (first_changed >= 0) emit dataChanged(index(first_changed, 0), index(last_changed, kColumnCount - 1));
}

}  // namespace dovel::ui
