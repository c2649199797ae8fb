#pragma once

#include <QTreeView>

#include <optional>
#include <string>
#include <vector>

#include "search/result_rows.h"
#include "search/result_sort.h"
#include "search/result_tabs.h"
#include "ui/search/search_commands.h"
#include "ui/search/search_result_model.h"

class QMenu;

namespace dovel::ui {

// The header's arrow for a tab's order: texts in their first direction go up
// (ascending), numbers down (larger first); reversed turns it round.
Qt::SortOrder sort_indicator_direction(const search::SortOrder& order);

// The list of one result tab: header clicks sort it (the core sorts the latest
// tab; an older tab is sorted here with the same rules), activating a row
// queues its download (a row without a FileHash is explored instead), and the
// context menu holds the row commands.
class CSearchListCtrl final : public QTreeView {
  Q_OBJECT

 public:
  enum class Command { Download, Explore, CopyFileLink, CopyServerLink, ClearAll };

  static constexpr const char* kDownloadText = "다운로드(&D)";
  static constexpr const char* kExploreText = "탐색(&E)";
  static constexpr const char* kCopyFileLinkText = "파일링크복사(&L)";
  static constexpr const char* kCopyServerLinkText = "서버링크복사(&S)";
  static constexpr const char* kClearAllText = "모두삭제(&C)";

  explicit CSearchListCtrl(SearchCommands commands, QWidget* parent = nullptr);

  SearchResultModel& rows() { return model_; }
  const SearchResultModel& rows() const { return model_; }

  // Shows the tab's rows; an older tab keeps the order its header clicks gave it.
  void set_snapshot(search::ResultSnapshot snapshot);
  // Whether this tab is the search's latest (the one the core sorts and clears).
  void set_latest(bool latest);
  bool latest() const { return latest_; }
  // The file-ID column: 200 wide for privileged users, hidden otherwise.
  void set_privileged(bool privileged);

  // A click on the header of a visible column.
  void sort_by(search::SortColumn column);
  // Activating a row (double click, Enter).
  void activate_row(int row);
  bool available(Command command) const;
  void run(Command command);
  // The context menu as it would open (the caller owns it).
  QMenu* context_menu(QWidget* parent);

 signals:
  // The tab's rows or order changed in the core: read them again.
  void changed();
  // At least one download was queued from this list.
  void downloads_queued();

 private:
  std::vector<const search::ResultRow*> selected_rows() const;
  const search::ResultRow* current_row() const;
  bool download(const std::vector<const search::ResultRow*>& rows);
  void explore(const search::ResultRow& row);
  void copy_file_links();
  void copy_server_link();
  void show_order(const std::optional<search::SortOrder>& order);

  const SearchCommands commands_;
  SearchResultModel model_;
  bool latest_ = true;
  std::optional<search::SortOrder> local_order_;  // an older tab's header clicks
};

}  // namespace dovel::ui
