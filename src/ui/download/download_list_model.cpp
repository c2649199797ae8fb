#include "ui/download/download_list_model.h"

#include <algorithm>
#include <array>
#include <set>

#include "download/paid_columns.h"
#include "util/format.h"
#include "util/letter_pair.h"

namespace dovel::ui {
namespace {

constexpr std::array<const char*, DownloadListModel::kColumnCount> kHeadings = {
    "상태", "ID", "파일", "다운수", "총크기", "현재", "비율", "평균속도", "순간속도", "남은시간", "비고", "..", "별머니(원)/저작권정보",
    "다운로드", "안내"};

QString qt_text(const std::string& text) { return QString::fromStdString(text); }

QString kilobytes_text(int64_t bytes) { return qt_text(util::FormatNumber(bytes / 1024) + " K"); }

bool numeric_column(int column) {
  switch (column) {
    case DownloadListModel::kConnectionsColumn:
    case DownloadListModel::kSizeColumn:
    case DownloadListModel::kReceivedColumn:
    case DownloadListModel::kAverageSpeedColumn:
    case DownloadListModel::kCurrentSpeedColumn:
    case DownloadListModel::kRemainingColumn: return true;
    default: return false;
  }
}

// The ID of the server a connection reads from: the source with its address,
// or the item's own peer ID when the item knows only that one server.
std::string connection_peer_id(const download::ItemSnapshot& item, const download::ConnectionView& connection) {
  for (const download::Source& source : item.sources) {
    if (source.address == connection.address && source.port == connection.port && !source.peer_id.empty()) return source.peer_id;
  }
  return item.sources.size() <= 1 ? item.peer_id : std::string();
}

int piece_percent(const download::ConnectionView& connection) {
  const int64_t piece = connection.piece_end - connection.piece_start;
  if (piece <= 0 || connection.received_in_piece <= 0) return 0;
  if (connection.received_in_piece >= piece) return 100;
  return static_cast<int>(static_cast<__int128>(connection.received_in_piece) * 100 / piece);
}

}  // namespace

DownloadListModel::DownloadListModel(QObject* parent) : QAbstractItemModel(parent) {}

DownloadListModel::~DownloadListModel() = default;

QString DownloadListModel::heading(int column) {
  if (column < 0 || column >= kColumnCount) return {};
  return QString::fromUtf8(kHeadings[static_cast<size_t>(column)]);
}

void DownloadListModel::set_rows(const std::vector<download::ListRow>& rows) {
  std::set<std::string> listed;
  for (const download::ListRow& row : rows) listed.insert(row.item.hash);
  for (int i = static_cast<int>(files_.size()) - 1; i >= 0; --i) {
    if (listed.count(files_[static_cast<size_t>(i)]->row.item.hash) != 0) continue;
    beginRemoveRows(QModelIndex(), i, i);
    files_.erase(files_.begin() + i);
    endRemoveRows();
  }
  for (size_t place = 0; place < rows.size(); ++place) {
    const download::ListRow& source = rows[place];
    auto found = std::find_if(files_.begin() + static_cast<std::ptrdiff_t>(std::min(place, files_.size())), files_.end(),
                              [&](const std::unique_ptr<FileRow>& file) { return file->row.item.hash == source.item.hash; });
    const int to = static_cast<int>(place);
    if (found == files_.end()) {
      beginInsertRows(QModelIndex(), to, to);
      auto file = std::make_unique<FileRow>();
      file->row = source;
      file->texts = file_texts(source);
      files_.insert(files_.begin() + to, std::move(file));
      endInsertRows();
    } else if (const int from = static_cast<int>(found - files_.begin()); from != to) {
      beginMoveRows(QModelIndex(), from, from, QModelIndex(), to);
      std::rotate(files_.begin() + to, found, found + 1);
      endMoveRows();
    }
    update_file(to, source);
    sync_connections(to, source);
  }
}

void DownloadListModel::set_transfer_flag(bool on) {
  if (transfer_flag_ == on) return;
  transfer_flag_ = on;
  retext_all();
}

void DownloadListModel::set_name_mask(std::function<std::string(const std::string&)> mask) {
  mask_ = std::move(mask);
  retext_all();
}

QStringList DownloadListModel::file_texts(const download::ListRow& row) const {
  const download::ItemSnapshot& item = row.item;
  const download::ItemTexts& texts = row.texts;
  const download::PaidColumnTexts paid = download::paid_column_texts(item, transfer_flag_);
  const std::string shown_name = mask_ ? mask_(item.file_name) : item.file_name;
  return {qt_text(texts.state),         qt_text(util::Encode(item.peer_id)), qt_text(shown_name),
          qt_text(texts.connections),   qt_text(texts.size),                 qt_text(texts.received),
          qt_text(texts.percent_text),  qt_text(texts.average_speed),        qt_text(texts.current_speed),
          qt_text(texts.remaining_time), qt_text(texts.status),              qt_text(texts.run_marker),
          qt_text(paid.price),          qt_text(paid.download),              qt_text(paid.guide)};
}

void DownloadListModel::update_file(int row, const download::ListRow& source) {
  FileRow& file = *files_[static_cast<size_t>(row)];
  const bool percent_changed = file.row.texts.percent != source.texts.percent;
  file.row = source;
  QStringList texts = file_texts(source);
  if (texts == file.texts && !percent_changed) return;
  file.texts = std::move(texts);
  emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void DownloadListModel::sync_connections(int row, const download::ListRow& source) {
  FileRow& file = *files_[static_cast<size_t>(row)];
  const QModelIndex parent = index(row, 0);
  const std::vector<download::ConnectionView>& wanted = source.item.connections;
  auto listed = [&](uint64_t id) {
    return std::any_of(wanted.begin(), wanted.end(), [id](const download::ConnectionView& view) { return view.id == id; });
  };
  for (int i = static_cast<int>(file.connections.size()) - 1; i >= 0; --i) {
    if (listed(file.connections[static_cast<size_t>(i)].target.connection.id)) continue;
    beginRemoveRows(parent, i, i);
    file.connections.erase(file.connections.begin() + i);
    endRemoveRows();
  }
  for (size_t place = 0; place < wanted.size(); ++place) {
    const download::ConnectionView& view = wanted[place];
    const int to = static_cast<int>(place);
    auto found = std::find_if(file.connections.begin() + static_cast<std::ptrdiff_t>(std::min(place, file.connections.size())),
                              file.connections.end(), [&](const ConnectionRow& known) { return known.target.connection.id == view.id; });
    if (found == file.connections.end()) {
      beginInsertRows(parent, to, to);
      file.connections.insert(file.connections.begin() + to, ConnectionRow{});
      endInsertRows();
    } else if (const int from = static_cast<int>(found - file.connections.begin()); from != to) {
      beginMoveRows(parent, from, from, parent, to);
      std::rotate(file.connections.begin() + to, found, found + 1);
      endMoveRows();
    }
    ConnectionRow& shown = file.connections[place];
    shown.target.connection = view;
    shown.target.peer_id = connection_peer_id(source.item, view);
    const std::string server = platform::format_ipv4(view.address) + ":" + std::to_string(view.port);
    const int percent = piece_percent(view);
    QStringList texts(kColumnCount);
    texts[kIdColumn] = qt_text(util::Encode(shown.target.peer_id));
    texts[kFileColumn] = qt_text(shown.target.peer_id.empty() ? server : shown.target.peer_id + " (" + server + ")");
    texts[kSizeColumn] = kilobytes_text(view.piece_end - view.piece_start);
    texts[kReceivedColumn] = kilobytes_text(view.received_in_piece);
    texts[kPercentColumn] = QStringLiteral("%1%").arg(percent);
    if (texts == shown.texts && percent == shown.percent) continue;
    shown.texts = std::move(texts);
    shown.percent = percent;
    emit dataChanged(index(to, 0, parent), index(to, kColumnCount - 1, parent));
  }
}

void DownloadListModel::retext_all() {
  for (size_t row = 0; row < files_.size(); ++row) files_[row]->texts = file_texts(files_[row]->row);
  if (!files_.empty()) emit dataChanged(index(0, 0), index(static_cast<int>(files_.size()) - 1, kColumnCount - 1));
}

int DownloadListModel::row_of(const FileRow* file) const {
  for (size_t row = 0; row < files_.size(); ++row) {
    if (files_[row].get() == file) return static_cast<int>(row);
  }
  return -1;
}

DownloadListModel::FileRow* DownloadListModel::file_of(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this || index.internalPointer() != nullptr) return nullptr;
  if (index.row() < 0 || index.row() >= static_cast<int>(files_.size())) return nullptr;
  return files_[static_cast<size_t>(index.row())].get();
}

bool DownloadListModel::is_connection(const QModelIndex& index) const {
  return index.isValid() && index.model() == this && index.internalPointer() != nullptr;
}

const download::ListRow* DownloadListModel::row_at(const QModelIndex& index) const {
  const FileRow* file = file_of(index);
  return file == nullptr ? nullptr : &file->row;
}

std::optional<DownloadListModel::ConnectionTarget> DownloadListModel::connection_at(const QModelIndex& index) const {
  if (!is_connection(index)) return std::nullopt;
  const auto* file = static_cast<const FileRow*>(index.internalPointer());
  if (row_of(file) < 0 || index.row() < 0 || index.row() >= static_cast<int>(file->connections.size())) return std::nullopt;
  return file->connections[static_cast<size_t>(index.row())].target;
}

QModelIndex DownloadListModel::index_of_hash(const std::string& hash) const {
  for (size_t row = 0; row < files_.size(); ++row) {
    if (files_[row]->row.item.hash == hash) return index(static_cast<int>(row), 0);
  }
  return {};
}

QModelIndex DownloadListModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= kColumnCount) return {};
  if (!parent.isValid()) {
    if (row >= static_cast<int>(files_.size())) return {};
    return createIndex(row, column, nullptr);
  }
  FileRow* file = file_of(parent);
  if (file == nullptr || row >= static_cast<int>(file->connections.size())) return {};
  return createIndex(row, column, file);
}

QModelIndex DownloadListModel::parent(const QModelIndex& child) const {
  if (!is_connection(child)) return {};
  const int row = row_of(static_cast<const FileRow*>(child.internalPointer()));
  return row < 0 ? QModelIndex() : createIndex(row, 0, nullptr);
}

int DownloadListModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(files_.size());
  if (parent.column() != 0) return 0;
  const FileRow* file = file_of(parent);
  return file == nullptr ? 0 : static_cast<int>(file->connections.size());
}

int DownloadListModel::columnCount(const QModelIndex&) const { return kColumnCount; }

QVariant DownloadListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= kColumnCount) return {};
  const QStringList* texts = nullptr;
  int percent = 0;
  if (const FileRow* file = file_of(index)) {
    texts = &file->texts;
    percent = file->row.texts.percent;
  } else if (is_connection(index)) {
    const auto* parent_file = static_cast<const FileRow*>(index.internalPointer());
    if (row_of(parent_file) < 0 || index.row() >= static_cast<int>(parent_file->connections.size())) return {};
    const ConnectionRow& connection = parent_file->connections[static_cast<size_t>(index.row())];
    texts = &connection.texts;
    percent = connection.percent;
  } else {
    return {};
  }
  switch (role) {
    case Qt::DisplayRole: return texts->value(index.column());
    case kPercentRole: return index.column() == kPercentColumn ? QVariant(percent) : QVariant();
    case Qt::TextAlignmentRole:
      return static_cast<int>(numeric_column(index.column()) ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
  }
}

QVariant DownloadListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return heading(section);
}

}  // namespace dovel::ui
