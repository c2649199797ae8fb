#include "ui/search/search_list_ctrl.h"

#include <QHeaderView>
#include <QMenu>

#include "platform/socket.h"
#include "ui/controls/clipboard.h"
#include "util/format.h"
#include "util/links.h"

namespace dovel::ui {
namespace {

bool numeric(search::SortColumn column) {
  return column == search::SortColumn::Size || column == search::SortColumn::Sources || column == search::SortColumn::ResponseTime;
}

bool has_file_id(const search::ResultRow* row) { return row != nullptr && !row->hash.empty(); }
// A file listed without its FileHash is downloaded too: its server is asked for the hash first.
bool is_downloadable(const search::ResultRow* row) { return has_file_id(row) || (row != nullptr && row->file_type == 1); }

}  // namespace

Qt::SortOrder sort_indicator_direction(const search::SortOrder& order) {
  const bool ascending = numeric(order.column) == order.reversed;
  return ascending ? Qt::AscendingOrder : Qt::DescendingOrder;
}

CSearchListCtrl::CSearchListCtrl(SearchCommands commands, QWidget* parent) : QTreeView(parent), commands_(std::move(commands)) {
  setModel(&model_);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setContextMenuPolicy(Qt::CustomContextMenu);
  setSortingEnabled(false);
  header()->setStretchLastSection(false);
  header()->setSectionsClickable(true);
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(-1, Qt::AscendingOrder);
  for (int column = 0; column < SearchResultModel::kColumnCount; ++column) {
    setColumnWidth(column, SearchResultModel::column_layout(column).width);
    setColumnHidden(column, column >= SearchResultModel::kVisibleColumns);
  }
  set_privileged(false);

  connect(header(), &QHeaderView::sectionClicked, this, [this](int section) {
    if (section >= 0 && section < SearchResultModel::kVisibleColumns) sort_by(static_cast<search::SortColumn>(section));
  });
  connect(this, &QTreeView::activated, this, [this](const QModelIndex& index) { activate_row(index.row()); });
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu* menu = context_menu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(viewport()->mapToGlobal(at));
  });
}

void CSearchListCtrl::set_snapshot(search::ResultSnapshot snapshot) {
  if (!latest_ && local_order_) {
    search::sort_rows(snapshot.rows, *local_order_);
    snapshot.order = local_order_;
  }
  model_.set_snapshot(snapshot);
  show_order(snapshot.order);
}

void CSearchListCtrl::set_latest(bool latest) { latest_ = latest; }

void CSearchListCtrl::set_privileged(bool privileged) {
  setColumnHidden(SearchResultModel::kFileIdColumn, !privileged);
  if (privileged) setColumnWidth(SearchResultModel::kFileIdColumn, SearchResultModel::kPrivilegedFileIdWidth);
}

void CSearchListCtrl::sort_by(search::SortColumn column) {
  if (latest_) {
    if (!commands_.sort_latest) return;
    commands_.sort_latest(column);
  } else {
    local_order_ = search::after_header_click(local_order_ ? local_order_ : model_.order(), column);
  }
  emit changed();
}

void CSearchListCtrl::activate_row(int row) {
  const search::ResultRow* activated = model_.row_at(row);
  if (activated == nullptr) return;
  if (is_downloadable(activated)) {
    if (commands_.download) download({activated});
  } else if (commands_.explore) {
    explore(*activated);
  }
}

bool CSearchListCtrl::available(Command command) const {
  switch (command) {
    case Command::Download: {
      if (!commands_.download) return false;
      for (const search::ResultRow* row : selected_rows()) {
        if (is_downloadable(row)) return true;
      }
      return false;
    }
    case Command::Explore:
      return commands_.explore && current_row() != nullptr && fastest_source(*current_row()) != nullptr;
    case Command::CopyFileLink: {
      for (const search::ResultRow* row : selected_rows()) {
        if (has_file_id(row)) return true;
      }
      return false;
    }
    case Command::CopyServerLink:
      return current_row() != nullptr && fastest_source(*current_row()) != nullptr;
    case Command::ClearAll:
      return latest_ && commands_.clear_latest && model_.total_rows() > 0;
  }
  return false;
}

void CSearchListCtrl::run(Command command) {
  if (!available(command)) return;
  switch (command) {
    case Command::Download: download(selected_rows()); break;
    case Command::Explore: explore(*current_row()); break;
    case Command::CopyFileLink: copy_file_links(); break;
    case Command::CopyServerLink: copy_server_link(); break;
    case Command::ClearAll:
      commands_.clear_latest();
      emit changed();
      break;
  }
}

QMenu* CSearchListCtrl::context_menu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  const auto add = [this, menu](const char* text, Command command) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setEnabled(available(command));
    connect(action, &QAction::triggered, this, [this, command] { run(command); });
  };
  add(kDownloadText, Command::Download);
  add(kExploreText, Command::Explore);
  menu->addSeparator();
  add(kCopyFileLinkText, Command::CopyFileLink);
  add(kCopyServerLinkText, Command::CopyServerLink);
  menu->addSeparator();
  add(kClearAllText, Command::ClearAll);
  return menu;
}

std::vector<const search::ResultRow*> CSearchListCtrl::selected_rows() const {
  std::vector<const search::ResultRow*> rows;
  if (selectionModel() == nullptr) return rows;
  QModelIndexList selected = selectionModel()->selectedRows();
  std::sort(selected.begin(), selected.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  for (const QModelIndex& index : selected) {
    if (const search::ResultRow* row = model_.row_at(index.row())) rows.push_back(row);
  }
  return rows;
}

const search::ResultRow* CSearchListCtrl::current_row() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid() || selectionModel() == nullptr || !selectionModel()->isRowSelected(current.row(), {})) return nullptr;
  return model_.row_at(current.row());
}

bool CSearchListCtrl::download(const std::vector<const search::ResultRow*>& rows) {
  // The rows are copied first: a queued download may refresh the list.
  std::vector<search::ResultRow> wanted;
  for (const search::ResultRow* row : rows) {
    if (is_downloadable(row)) wanted.push_back(*row);
  }
  bool queued = false;
  for (const search::ResultRow& row : wanted) queued = commands_.download(row) || queued;
  if (queued) emit downloads_queued();
  return queued;
}

void CSearchListCtrl::explore(const search::ResultRow& row) {
  const search::ResultSource* source = fastest_source(row);
  if (source == nullptr) return;
  commands_.explore(platform::format_ipv4(source->server.address), source->server.port, source->responder_id);
}

void CSearchListCtrl::copy_file_links() {
  std::string links;
  for (const search::ResultRow* row : selected_rows()) {
    if (!has_file_id(row)) continue;
    if (!links.empty()) links += "\r\n";
    links += util::FileLinkFromSizeText(row->name, row->hash, util::FormatNumber(row->size));
  }
  CopyToClipboard(links);
}

void CSearchListCtrl::copy_server_link() {
  const search::ResultSource* source = fastest_source(*current_row());
  CopyToClipboard(util::ServerLink(source->server.address, source->server.port));
}

void CSearchListCtrl::show_order(const std::optional<search::SortOrder>& order) {
  if (order) {
    header()->setSortIndicator(static_cast<int>(order->column), sort_indicator_direction(*order));
  } else {
    header()->setSortIndicator(-1, Qt::AscendingOrder);
  }
}

}  // namespace dovel::ui
