#include "ui/serverlist/server_list_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/string_printf.h"
#include "base/text.h"
#include "service/registration_client.h"
#include "settings/setting_table.h"
#include "ui/controls/clipboard.h"
#include "ui/controls/message_sink.h"
#include "ui/mainframe/main_views.h"
#include "ui/serverlist/server_info_dialog.h"
#include "ui/serverlist/server_list_search_dialog.h"
#include "util/format.h"
#include "util/links.h"

namespace dovel::ui {
namespace {

constexpr const char* kSortNames[ServerListModel::kSortKeyCount] = {"아이콘", "제목", "개설시간", "공유량", "파일수", "최고속도"};
static_assert(settings::kServerListSort.range->count() == ServerListModel::kSortKeyCount);
constexpr int kChannelCount = static_cast<int>(service::kChannelNames.size());

struct ColumnWidth {
  int column;
  int width;
};
constexpr ColumnWidth kColumnWidths[] = {
    {ServerListModel::kIconColumn, 28},    {ServerListModel::kTitleColumn, 260},  {ServerListModel::kExploreColumn, 44},
    {ServerListModel::kFavoriteColumn, 64}, {ServerListModel::kOpenedColumn, 90}, {ServerListModel::kSharedColumn, 90},
    {ServerListModel::kFilesColumn, 70},   {ServerListModel::kPeakColumn, 80}};

QString text_of(const std::string& utf8) { return QString::fromStdString(utf8); }

std::string figures_line(const std::string& name, const service::ChannelTotals& totals) {
  return base::string_printf("%s :: Server(%s) :: %s TB :: %s Files", name.c_str(), util::FormatNumber(static_cast<int64_t>(totals.servers)).c_str(),
                             util::FormatNumber(static_cast<int64_t>(totals.shared_mib / 1024 / 1024)).c_str(),
                             util::FormatNumber(static_cast<int64_t>(totals.files)).c_str());
}

service::ChannelTotals totals_of_channel(const service::ServerLists& lists, int channel) {
  if (channel < 0 || channel >= kChannelCount || !lists.channels[static_cast<size_t>(channel)]) return {};
  return service::totals_of(*lists.channels[static_cast<size_t>(channel)]);
}

QTreeWidget* make_channel_list(QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setRootIsDecorated(false);
  list->setColumnCount(2);
  list->setHeaderLabels({QStringLiteral("전체사용자:"), QStringLiteral("사용자")});
  list->setColumnWidth(0, 90);
  list->setColumnWidth(1, 60);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  for (std::string_view name : service::kChannelNames) {
    auto* item = new QTreeWidgetItem({text_of(std::string(name)), QStringLiteral("0")});
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list->addTopLevelItem(item);
  }
  list->setFixedWidth(170);
  return list;
}

QTreeView* make_server_list(ServerListModel& model, QWidget* parent) {
  auto* list = new QTreeView(parent);
  list->setModel(&model);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  list->setSortingEnabled(false);
  list->setMouseTracking(true);
  list->header()->setSectionsClickable(true);
  list->header()->setStretchLastSection(false);
  for (const ColumnWidth& column : kColumnWidths) list->setColumnWidth(column.column, column.width);
  list->setColumnHidden(ServerListModel::kOwnerColumn, true);
  for (int column = ServerListModel::kFirstHiddenColumn; column < ServerListModel::kColumnCount; ++column) list->setColumnHidden(column, true);
  return list;
}

}  // namespace

CServerListDialog::CServerListDialog(ServerListCommands commands, MessageSink& messages, QWidget* parent)
    : QWidget(parent),
      commands_(std::move(commands)),
      messages_(messages),
      header_(new QLabel(this)),
      channel_line_(new QLabel(this)),
      refresh_state_(new QLabel(QString::fromUtf8(kRefreshingText), this)),
      channels_(make_channel_list(this)),
      servers_(make_server_list(model_, this)),
      sort_(new QComboBox(this)),
      search_(new QPushButton(QStringLiteral("검색"), this)),
      refresh_(new QPushButton(QStringLiteral("새로고침"), this)) {
  QFont bold = header_->font();
  bold.setBold(true);
  header_->setFont(bold);
  header_->setText(text_of(service::server_list_header(lists_)));
  refresh_state_->setVisible(false);
  refresh_->setEnabled(static_cast<bool>(commands_.refresh));
  model_.set_favorites_enabled(static_cast<bool>(commands_.add_favorite));

  for (const char* name : kSortNames) sort_->addItem(QString::fromUtf8(name));
  const int stored = commands_.values != nullptr ? commands_.values->read(settings::kServerListSort) : settings::kServerListSort.on_load;
  sort_->setCurrentIndex(stored);
  model_.sort_by(static_cast<ServerListModel::SortKey>(stored));

  auto* top = new QHBoxLayout;
  top->addWidget(header_, 1);
  top->addWidget(refresh_state_);
  top->addWidget(new QLabel(QStringLiteral("정렬:"), this));
  top->addWidget(sort_);
  top->addWidget(search_);
  top->addWidget(refresh_);
  auto* right = new QVBoxLayout;
  right->addWidget(channel_line_);
  right->addWidget(servers_, 1);
  auto* body = new QHBoxLayout;
  body->addWidget(channels_);
  body->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(body, 1);
  setMinimumSize(720, 360);
  show_channel_line();

  connect(sort_, &QComboBox::currentIndexChanged, this, &CServerListDialog::apply_sort_choice);
  connect(servers_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (std::optional<ServerListModel::SortKey> key = ServerListModel::sort_key_of_column(column)) {
      sort_->setCurrentIndex(static_cast<int>(*key));
    }
  });
  connect(channels_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    if (item != nullptr) select_channel(channels_->indexOfTopLevelItem(item));
  });
  connect(servers_, &QTreeView::clicked, this, &CServerListDialog::on_cell_clicked);
  connect(servers_, &QTreeView::entered, this, [this](const QModelIndex& index) {
    const bool link = index.column() == ServerListModel::kExploreColumn ||
                      (index.column() == ServerListModel::kFavoriteColumn && commands_.add_favorite);
    servers_->viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);
  });
  connect(servers_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu* menu = row_menu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(servers_->viewport()->mapToGlobal(at));
  });
  connect(search_, &QPushButton::clicked, this, [this] { open_search(); });
  connect(refresh_, &QPushButton::clicked, this, &CServerListDialog::request_lists);
}

CServerListDialog::~CServerListDialog() = default;

void CServerListDialog::show_lists(const service::ServerLists& lists) {
  lists_ = lists;
  refreshing_ = false;
  refresh_state_->setVisible(false);
  refresh_->setEnabled(static_cast<bool>(commands_.refresh));
  header_->setText(text_of(service::server_list_header(lists_)));
  show_channel_counts();
  int channel = channel_;
  if (!channel_chosen_) {
    const int registered = commands_.registered_channel ? commands_.registered_channel() : -1;
    channel = registered >= 0 && registered < kChannelCount ? registered : 0;
  }
  show_channel(channel);
}

void CServerListDialog::set_online_users(uint32_t users) {
  lists_.online_users = users;
  header_->setText(text_of(service::server_list_header(lists_)));
}

void CServerListDialog::request_lists() {
  if (!commands_.refresh) return;
  refreshing_ = true;
  refresh_->setEnabled(false);
  refresh_state_->setVisible(true);
  commands_.refresh();
}

void CServerListDialog::select_channel(int channel) {
  channel_chosen_ = true;
  show_channel(channel);
}

void CServerListDialog::show_channel(int channel) {
  if (channel < 0 || channel >= kChannelCount) channel = -1;
  channel_ = channel;
  {
    const QSignalBlocker quiet(channels_);
    if (channel < 0) {
      channels_->clearSelection();
      channels_->setCurrentItem(nullptr);
    } else {
      channels_->setCurrentItem(channels_->topLevelItem(channel));
    }
  }
  model_.set_snapshot(lists_, channel);
  show_channel_line();
}

void CServerListDialog::show_channel_counts() {
  for (int channel = 0; channel < kChannelCount; ++channel) {
    const service::ChannelTotals totals = totals_of_channel(lists_, channel);
    channels_->topLevelItem(channel)->setText(1, text_of(util::FormatNumber(static_cast<int64_t>(totals.servers))));
  }
}

void CServerListDialog::show_channel_line() {
  const std::string name = channel_ >= 0 ? std::string(service::kChannelNames[static_cast<size_t>(channel_)]) : std::string();
  channel_line_->setText(text_of(figures_line(name, totals_of_channel(lists_, channel_))));
}

void CServerListDialog::apply_sort_choice(int index) {
  if (index < 0 || index >= ServerListModel::kSortKeyCount) return;
  model_.sort_by(static_cast<ServerListModel::SortKey>(index));
  if (commands_.values != nullptr) commands_.values->write(settings::kServerListSort, index);
}

void CServerListDialog::on_cell_clicked(const QModelIndex& index) {
  if (!index.isValid()) return;
  if (index.column() == ServerListModel::kExploreColumn) run_on_row(RowAction::Explore, index.row());
  if (index.column() == ServerListModel::kFavoriteColumn) run_on_row(RowAction::Favorite, index.row());
}

std::optional<int> CServerListDialog::selected_row() const {
  const QModelIndexList rows = servers_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return rows.front().row();
}

bool CServerListDialog::available(RowAction action) const {
  switch (action) {
    case RowAction::Explore: return static_cast<bool>(commands_.explore);
    case RowAction::Favorite: return static_cast<bool>(commands_.add_favorite);
    case RowAction::CopyLink: return true;
    case RowAction::ServerInfo: return static_cast<bool>(commands_.server_info);
  }
  return false;
}

void CServerListDialog::run_on_selected(RowAction action) {
  if (std::optional<int> row = selected_row()) run_on_row(action, *row);
}

void CServerListDialog::run_on_row(RowAction action, int row) {
  if (!available(action)) return;
  const std::optional<ServerRowTarget> target = model_.target(row);
  if (!target) return;
  switch (action) {
    case RowAction::Explore:
      explore(*target);
      break;
    case RowAction::Favorite:
      commands_.add_favorite(target->owner_id, model_.server(row).title);
      break;
    case RowAction::CopyLink:
      CopyToClipboard(util::ServerLink(*platform::parse_ipv4(target->address), target->port));
      break;
    case RowAction::ServerInfo:
      open_server_info_for(row);
      break;
  }
}

void CServerListDialog::explore(const ServerRowTarget& target) {
  const std::string own_id = commands_.own_id ? commands_.own_id() : std::string();
  if (!own_id.empty() && base::iequals_ascii(own_id, target.owner_id)) {
    if (!commands_.share_server_running || !commands_.share_server_running() || !commands_.share_port) {
      if (commands_.log_status) commands_.log_status(kShareServerNotStarted);
      return;
    }
    commands_.explore(kOwnServerAddress, commands_.share_port(), target.owner_id);
  } else {
    commands_.explore(target.address, target.port, target.owner_id);
  }
  if (commands_.show_view) commands_.show_view(kViewBrowse);
}

QMenu* CServerListDialog::row_menu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  const bool has_row = selected_row().has_value();
  const struct {
    const char* text;
    RowAction action;
  } items[] = {{"탐색", RowAction::Explore},
               {"즐겨찾기", RowAction::Favorite},
               {"서버링크복사", RowAction::CopyLink},
               {"서버정보", RowAction::ServerInfo}};
  for (const auto& item : items) {
    QAction* action = menu->addAction(QString::fromUtf8(item.text));
    action->setEnabled(has_row && available(item.action));
    connect(action, &QAction::triggered, this, [this, which = item.action] { run_on_selected(which); });
  }
  return menu;
}

CServerListSearchDialog* CServerListDialog::open_search() {
  if (!search_dialog_) search_dialog_ = new CServerListSearchDialog(model_, *servers_, commands_, messages_, this);
  search_dialog_->show();
  search_dialog_->raise();
  search_dialog_->activateWindow();
  return search_dialog_;
}

CServerInfoDialog* CServerListDialog::open_server_info() {
  const std::optional<int> row = selected_row();
  return row ? open_server_info_for(*row) : nullptr;
}

CServerInfoDialog* CServerListDialog::open_server_info_for(int row) {
  const std::optional<ServerRowTarget> target = model_.target(row);
  if (!target || !commands_.server_info) return nullptr;
  auto* dialog = new CServerInfoDialog(target->address, target->port, commands_.server_info, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  return dialog;
}

}  // namespace dovel::ui
