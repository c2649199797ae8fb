#pragma once

#include <QAbstractTableModel>

#include <string>
#include <vector>

#include "browse/browser_snapshot.h"
#include "browse/listing_row.h"

namespace dovel::ui {

// The ten columns of a remote folder listing, in the order the core fills a
// ListingRow: four the user sees, then the values the window works with.
class BrowseListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column {
    kNameColumn = 0,
    kSizeColumn = 1,
    kTimeColumn = 2,
    kAttributeColumn = 3,
    kBytesColumn = 4,
    kAttributeBitsColumn = 5,
    kKindColumn = 6,
    kHashColumn = 7,
    kEncodedNameColumn = 8,
    kFiletimeColumn = 9,
    kColumnCount = 10,
  };

  explicit BrowseListModel(QObject* parent = nullptr);

  // Shows the snapshot's rows in the order the core gives them. Rows the
  // previous listing also had keep their identity (moved, not replaced), so
  // that the selection follows the entries through a re-sort or a refresh.
  void set_snapshot(const browse::BrowserSnapshot& snapshot);
  void set_rows(const std::vector<browse::ListingRow>& rows);

  const browse::ListingRow& row_at(int row) const { return rows_.at(static_cast<size_t>(row)); }
  const std::vector<browse::ListingRow>& rows() const { return rows_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  void remove_rows_not_in(const std::vector<std::string>& wanted_keys);
  void move_kept_rows_into_order(const std::vector<std::string>& new_keys);
  void insert_new_rows(const std::vector<browse::ListingRow>& rows, const std::vector<std::string>& new_keys);
  void update_changed_rows(const std::vector<browse::ListingRow>& rows);

  std::vector<browse::ListingRow> rows_;
  // Who each row is (kind, name and which of equal names), parallel to rows_.
  std::vector<std::string> keys_;
};

}  // namespace dovel::ui
