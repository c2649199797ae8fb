#pragma once

#include <QAbstractItemModel>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "download/download_manager.h"

namespace dovel::ui {

// The download list: one top row per queued file (named by its FileHash, kept
// in queue order and updated in place so that selections stay), and under a
// running file one child row per active data connection.
class DownloadListModel final : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum Column {
    kStateColumn = 0,
    kIdColumn,
    kFileColumn,
    kConnectionsColumn,
    kSizeColumn,
    kReceivedColumn,
    kPercentColumn,
    kAverageSpeedColumn,
    kCurrentSpeedColumn,
    kRemainingColumn,
    kStatusColumn,
    kRunColumn,
    kPaidPriceColumn,
    kPaidDownloadColumn,
    kPaidGuideColumn,
    kColumnCount
  };
  // The "비율" column's number (0..100) for the progress bar.
  static constexpr int kPercentRole = Qt::UserRole + 1;

  // One data connection of a running item, as its child row names it.
  struct ConnectionTarget {
    download::ConnectionView connection;
    std::string peer_id;  // empty when the server's ID is not known
  };

  explicit DownloadListModel(QObject* parent = nullptr);
  ~DownloadListModel() override;

  static QString heading(int column);

  // Brings the list to these rows: rows of files no longer queued go, the
  // others are updated or moved into place, new ones are inserted; the same
  // for the child rows under each file.
  void set_rows(const std::vector<download::ListRow>& rows);
  // The session skips the paid rules: the paid columns show "--".
  void set_transfer_flag(bool on);
  // Shown file names go through this (the listed words masked).
  void set_name_mask(std::function<std::string(const std::string&)> mask);

  bool is_connection(const QModelIndex& index) const;
  // The file of a top row; null for a child row or an invalid index.
  const download::ListRow* row_at(const QModelIndex& index) const;
  // The connection of a child row.
  std::optional<ConnectionTarget> connection_at(const QModelIndex& index) const;
  // The top row of a file, or an invalid index.
  QModelIndex index_of_hash(const std::string& hash) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  struct ConnectionRow {
    ConnectionTarget target;
    QStringList texts;
    int percent = 0;
  };
  struct FileRow {
    download::ListRow row;
    QStringList texts;
    std::vector<ConnectionRow> connections;
  };

  int row_of(const FileRow* file) const;
  FileRow* file_of(const QModelIndex& index) const;
  QStringList file_texts(const download::ListRow& row) const;
  void update_file(int row, const download::ListRow& source);
  void sync_connections(int row, const download::ListRow& source);
  void retext_all();

  std::vector<std::unique_ptr<FileRow>> files_;
  bool transfer_flag_ = false;
  std::function<std::string(const std::string&)> mask_;
};

}  // namespace dovel::ui
