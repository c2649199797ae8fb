#pragma once

#include <QAbstractTableModel>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "search/result_rows.h"
#include "search/result_sort.h"
#include "search/result_tabs.h"
#include "ui/search/result_refine.h"

namespace dovel::ui {

// The rows of one result tab as the list shows them, in the core's order:
// five visible columns, then the per-row data in hidden ones. Filled from the
// core's snapshots; rows keep their identity (a FileHash, or the record) across
// updates, so that the view's selection and scroll position survive them.
class SearchResultModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column {
    kNameColumn = 0,
    kSizeColumn,
    kSourcesColumn,
    kResponseColumn,
    kFileIdColumn,
    // Hidden: the data of the row's fastest source, then the row's own values.
    kResponderColumn,
    kAddressColumn,
    kPortColumn,
    kPathColumn,
    kShareIndexColumn,
    kRightColumn,
    kFileTypeColumn,
    kSizeBytesColumn,
    kResponseMsColumn,
    kSourceCountColumn,
    kSearchNumberColumn,
    kColumnCount
  };
  static constexpr int kVisibleColumns = kResponderColumn;

  struct ColumnLayout {
    const char* title;
    int width;
    Qt::Alignment alignment;
  };
  // Heading, width and alignment of a column (hidden ones: no heading, width 0).
  static ColumnLayout column_layout(int column);
  // The file-ID column's width for privileged users (otherwise it is hidden).
  static constexpr int kPrivilegedFileIdWidth = 200;

  explicit SearchResultModel(QObject* parent = nullptr);

  // Shows the snapshot's rows (those the filter lets through) in its order.
  void set_snapshot(const search::ResultSnapshot& snapshot);
  // "결과내 재검색" on the rows; nullopt shows every row again.
  void set_filter(std::optional<RefineFilter> filter);
  const std::optional<RefineFilter>& filter() const { return filter_; }

  // The shown row; null outside the list.
  const search::ResultRow* row_at(int row) const;
  uint32_t number() const { return snapshot_.number; }
  std::optional<search::SortOrder> order() const { return snapshot_.order; }
  // Rows of the tab, shown or filtered out.
  int total_rows() const { return static_cast<int>(snapshot_.rows.size()); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  struct Shown {
    std::string key;
    search::ResultRow row;
  };
  std::vector<Shown> shown_rows() const;
  void show(std::vector<Shown> rows);
  void remove_missing(const std::vector<Shown>& rows);
  void reorder_like(const std::vector<Shown>& rows);
  void insert_new(const std::vector<Shown>& rows);
  void update_changed(std::vector<Shown>& rows);

  search::ResultSnapshot snapshot_;
  std::optional<RefineFilter> filter_;
  std::vector<Shown> shown_;
};

// The source a row's server commands use: the fastest answer, the first of equals.
const search::ResultSource* fastest_source(const search::ResultRow& row);

}  // namespace dovel::ui
