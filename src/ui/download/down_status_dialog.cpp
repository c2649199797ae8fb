#include "ui/download/down_status_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>

#include "download/download_speed_limit.h"
#include "download/openable_file.h"
#include "settings/setting_table.h"
#include "ui/controls/clipboard.h"
#include "ui/download/percent_bar_delegate.h"

namespace dovel::ui {
namespace {

using Command = CDownStatusDialog::Command;

// Column widths in pixels; the file column's follows the window.
constexpr std::array<int, DownloadListModel::kColumnCount> kColumnWidths = {100, 0, 0, 50, 60, 60, 50, 60, 60, 60, 100, 40, 150, 60, 40};

constexpr std::array<const char*, 10> kSpeedLimitTexts = {"제한없음", "3000K", "2000K", "1000K", "700K",
                                                          "500K",     "300K",  "200K",  "100K",  "50K"};
static_assert(settings::kLimitDownloadSpeed.range->count() == static_cast<int>(kSpeedLimitTexts.size()));

struct ButtonSpec {
  Command command;
  const char* text;
  const char* tip;
};

constexpr ButtonSpec kButtons[] = {
    {Command::Resume, "전송재개", nullptr},
    {Command::Stop, "전송중지", nullptr},
    {Command::Remove, "삭제", nullptr},
    {Command::FileInfo, "파일정보", nullptr},
    {Command::Explore, "서버탐색", nullptr},
    {Command::RemoveFinished, "완료제거", "완료된 파일을 모두 목록에서 제거합니다."},
    {Command::OpenDownloadFolder, "다운로드폴더", "다운로드폴더를 엽니다."},
    {Command::MoveUp, "위로", "선택된 항목을 위로 한칸 이동시킵니다."},
    {Command::MoveDown, "아래로", "선택된 항목을 아래로 한칸 이동시킵니다."},
};
// The buttons before this one act on the selection; the rest on the list.
constexpr int kFirstListButton = 5;

struct MenuSpec {
  Command command;
  const char* text;
};

constexpr MenuSpec kFileMenu[] = {
    {Command::Resume, "전송재개(&R)"},
    {Command::Stop, "전송중지(&T)"},
    {Command::Remove, "삭제(&X) - 완료는 목록에서만 지움"},
    {Command::Run, "실행(&E)"},
    {Command::FileInfo, "파일정보 검색/등록(&F)"},
    {Command::Explore, "서버 탐색(&C)"},
    {Command::Chat, "1:1채팅(&M)"},
    {Command::CopyLink, "파일링크복사(&L)"},
};

constexpr MenuSpec kConnectionMenu[] = {
    {Command::Explore, "서버 탐색(&C)"},
    {Command::Chat, "1:1채팅(&M)"},
};

template <typename F>
bool has(const F& function) {
  return static_cast<bool>(function);
}

}  // namespace

CDownStatusDialog::CDownStatusDialog(DownloadCommands commands, QWidget* parent)
    : QWidget(parent),
      commands_(std::move(commands)),
      model_(new DownloadListModel(this)),
      list_(new QTreeView(this)),
      speed_limit_(new QComboBox(this)),
      multi_down_(new QCheckBox(QStringLiteral("멀티다운로드"), this)),
      auto_stop_(new QCheckBox(QStringLiteral("허위신고파일 자동중지"), this)) {
  model_->set_name_mask(commands_.masked_name);
  build_list();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_, 1);
  layout->addWidget(build_buttons());
  layout->addWidget(build_options());
  setMinimumSize(640, 240);

  connect(&timer_, &QTimer::timeout, this, &CDownStatusDialog::refresh);
  timer_.setInterval(kRefreshMs);
  refresh();
}

void CDownStatusDialog::build_list() {
  list_->setModel(model_);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->setItemDelegateForColumn(DownloadListModel::kPercentColumn, new PercentBarDelegate(DownloadListModel::kPercentRole, list_));
  list_->header()->setStretchLastSection(false);
  for (int column = 0; column < DownloadListModel::kColumnCount; ++column) {
    list_->setColumnWidth(column, kColumnWidths[static_cast<size_t>(column)]);
  }
  list_->setColumnHidden(DownloadListModel::kIdColumn, true);
  list_->installEventFilter(this);
  fit_file_column();

  // A new running file shows its connections at once.
  connect(model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
    if (parent.isValid()) return;
    for (int row = first; row <= last; ++row) list_->expand(model_->index(row, 0));
  });
  connect(list_, &QWidget::customContextMenuRequested, this, &CDownStatusDialog::show_context_menu);
  connect(list_, &QAbstractItemView::doubleClicked, this, &CDownStatusDialog::open_selected_file);
}

QWidget* CDownStatusDialog::build_buttons() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(4, 0, 4, 0);
  int placed = 0;
  for (const ButtonSpec& spec : kButtons) {
    if (placed++ == kFirstListButton) row->addStretch();
    auto* button = new QPushButton(QString::fromUtf8(spec.text), bar);
    if (spec.tip != nullptr) button->setToolTip(QString::fromUtf8(spec.tip));
    button->setEnabled(available(spec.command));
    const Command command = spec.command;
    connect(button, &QPushButton::clicked, this, [this, command] { run(command); });
    row->addWidget(button);
    buttons_.push_back({command, button});
  }
  return bar;
}

QWidget* CDownStatusDialog::build_options() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(4, 0, 4, 4);

  multi_down_->setChecked(commands_.use_multi_down && commands_.use_multi_down());
  multi_down_->setEnabled(has(commands_.set_use_multi_down));
  connect(multi_down_, &QCheckBox::toggled, this, [this](bool on) {
    if (commands_.set_use_multi_down) commands_.set_use_multi_down(on);
  });
  auto_stop_->setToolTip(QString::fromUtf8(kAutoStopReportedTip));
  auto_stop_->setChecked(commands_.auto_stop_reported && commands_.auto_stop_reported());
  auto_stop_->setEnabled(has(commands_.set_auto_stop_reported));
  connect(auto_stop_, &QCheckBox::toggled, this, [this](bool on) {
    if (commands_.set_auto_stop_reported) commands_.set_auto_stop_reported(on);
  });

  for (const char* text : kSpeedLimitTexts) speed_limit_->addItem(QString::fromUtf8(text));
  const settings::NumberSetting& limit_row = settings::kLimitDownloadSpeed;
  const uint32_t stored = commands_.speed_limit_row ? limit_row.range->repair(commands_.speed_limit_row()) : limit_row.on_load;
  speed_limit_->setCurrentIndex(static_cast<int>(stored));
  if (commands_.apply_download_limit) commands_.apply_download_limit(download::download_limit_of_row(stored));
  connect(speed_limit_, &QComboBox::currentIndexChanged, this, &CDownStatusDialog::select_speed_limit);

  row->addWidget(multi_down_);
  row->addWidget(auto_stop_);
  row->addStretch();
  row->addWidget(new QLabel(QStringLiteral("다운속도제한:"), bar));
  row->addWidget(speed_limit_);
  return bar;
}

void CDownStatusDialog::select_speed_limit(int row) {
  if (row < 0) return;
  const auto chosen = static_cast<uint32_t>(row);
  if (commands_.store_speed_limit_row) commands_.store_speed_limit_row(chosen);
  if (commands_.apply_download_limit) commands_.apply_download_limit(download::download_limit_of_row(chosen));
}

int CDownStatusDialog::file_column_width(int list_width, bool privileged) {
  return std::max(kMinimumFileWidth, list_width - (privileged ? kFixedWidthPrivileged : kFixedWidth));
}

void CDownStatusDialog::fit_file_column() {
  const bool privileged = commands_.privileged && commands_.privileged();
  list_->setColumnWidth(DownloadListModel::kFileColumn, file_column_width(list_->width(), privileged));
}

bool CDownStatusDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::Resize) fit_file_column();
  return QWidget::eventFilter(watched, event);
}

void CDownStatusDialog::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  refresh();
  timer_.start();
}

void CDownStatusDialog::hideEvent(QHideEvent* event) {
  timer_.stop();
  QWidget::hideEvent(event);
}

void CDownStatusDialog::refresh() {
  model_->set_transfer_flag(commands_.transfer_flag && commands_.transfer_flag());
  if (commands_.rows) model_->set_rows(commands_.rows());
}

std::vector<std::string> CDownStatusDialog::selected_hashes() const {
  QModelIndexList selected = list_->selectionModel()->selectedRows();
  std::sort(selected.begin(), selected.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<std::string> hashes;
  for (const QModelIndex& index : selected) {
    if (const download::ListRow* row = model_->row_at(index)) hashes.push_back(row->item.hash);
  }
  return hashes;
}

const download::ListRow* CDownStatusDialog::first_selected_row() const {
  const std::vector<std::string> hashes = selected_hashes();
  return hashes.empty() ? nullptr : model_->row_at(model_->index_of_hash(hashes.front()));
}

bool CDownStatusDialog::available(Command command) const {
  switch (command) {
    case Command::Resume: return has(commands_.resume);
    case Command::Stop: return has(commands_.stop);
    case Command::Remove: return has(commands_.remove);
    case Command::Run: return has(commands_.open_path);
    case Command::FileInfo: return has(commands_.open_file_info);
    case Command::Explore: return has(commands_.explore_user) || has(commands_.explore_address);
    case Command::Chat: return has(commands_.chat);
    case Command::CopyLink: return has(commands_.copy_link);
    case Command::RemoveFinished: return has(commands_.remove_finished);
    case Command::OpenDownloadFolder: return has(commands_.download_folder) && has(commands_.open_path);
    case Command::MoveUp:
    case Command::MoveDown: return has(commands_.move);
  }
  return false;
}

QPushButton* CDownStatusDialog::button(Command command) const {
  for (const CommandButton& entry : buttons_) {
    if (entry.command == command) return entry.button;
  }
  return nullptr;
}

void CDownStatusDialog::run(Command command) {
  if (!available(command)) return;
  switch (command) {
    case Command::Resume:
    case Command::Stop:
    case Command::Remove: {
      const std::vector<std::string> hashes = selected_hashes();
      if (hashes.empty()) return;
      if (command == Command::Resume) commands_.resume(hashes);
      if (command == Command::Stop) commands_.stop(hashes);
      if (command == Command::Remove) commands_.remove(hashes);
      refresh();
      return;
    }
    case Command::RemoveFinished:
      commands_.remove_finished();
      refresh();
      return;
    case Command::OpenDownloadFolder: {
      const std::string folder = commands_.download_folder();
      if (!folder.empty()) commands_.open_path(folder);
      return;
    }
    case Command::MoveUp:
    case Command::MoveDown: move_selected(command == Command::MoveUp); return;
    case Command::CopyLink: copy_link(); return;
    case Command::Run:
    case Command::FileInfo:
    case Command::Explore:
    case Command::Chat:
      if (const download::ListRow* row = first_selected_row()) run_on(command, *row);
      return;
  }
}

void CDownStatusDialog::run_on(Command command, const download::ListRow& row) {
  const download::ItemSnapshot& item = row.item;
  switch (command) {
    case Command::Run:
      if (std::optional<std::filesystem::path> file = download::openable_file(item)) commands_.open_path(file->string());
      return;
    case Command::FileInfo: commands_.open_file_info(item.hash, item.file_name, item.size); return;
    case Command::Explore: explore_row(item); return;
    case Command::Chat:
      if (!item.peer_id.empty()) commands_.chat(item.peer_id);
      return;
    default: return;
  }
}

void CDownStatusDialog::explore_row(const download::ItemSnapshot& item) {
  if (!item.peer_id.empty() && commands_.explore_user) {
    commands_.explore_user(item.peer_id);
    return;
  }
  if (!commands_.explore_address) return;
  if (!item.connections.empty()) {
    commands_.explore_address(item.connections.front().address, item.connections.front().port);
  } else if (!item.sources.empty()) {
    commands_.explore_address(item.sources.front().address, item.sources.front().port);
  }
}

void CDownStatusDialog::run_on_connection(Command command, const QModelIndex& connection) {
  const std::optional<DownloadListModel::ConnectionTarget> target = model_->connection_at(connection);
  if (!target) return;
  if (command == Command::Chat) {
    if (commands_.chat && !target->peer_id.empty()) commands_.chat(target->peer_id);
    return;
  }
  if (command != Command::Explore) return;
  if (!target->peer_id.empty() && commands_.explore_user) {
    commands_.explore_user(target->peer_id);
  } else if (commands_.explore_address) {
    commands_.explore_address(target->connection.address, target->connection.port);
  }
}

void CDownStatusDialog::move_selected(bool up) {
  std::vector<std::string> hashes = selected_hashes();
  if (hashes.empty()) return;
  if (hashes.size() > static_cast<size_t>(kMaxMovedRows)) hashes.resize(kMaxMovedRows);
  commands_.move(hashes, up);
  refresh();
}

void CDownStatusDialog::copy_link() {
  const download::ListRow* row = first_selected_row();
  if (row == nullptr) return;
  if (std::optional<std::string> link = commands_.copy_link(row->item.hash)) CopyToClipboard(*link);
}

void CDownStatusDialog::open_selected_file(const QModelIndex& index) {
  if (!commands_.open_path) return;
  if (const download::ListRow* row = model_->row_at(index.siblingAtColumn(0))) run_on(Command::Run, *row);
}

QMenu* CDownStatusDialog::file_menu(QWidget* parent) {
  auto* menu = new QMenu(QStringLiteral("다운로드상태"), parent);
  const bool selected = !selected_hashes().empty();
  for (const MenuSpec& spec : kFileMenu) {
    if (spec.command == Command::CopyLink) menu->addSeparator();
    QAction* action = menu->addAction(QString::fromUtf8(spec.text));
    action->setEnabled(selected && available(spec.command));
    const Command command = spec.command;
    connect(action, &QAction::triggered, this, [this, command] { run(command); });
  }
  return menu;
}

QMenu* CDownStatusDialog::connection_menu(QWidget* parent, const QModelIndex& connection) {
  auto* menu = new QMenu(QStringLiteral("서브아이템"), parent);
  const std::optional<DownloadListModel::ConnectionTarget> target = model_->connection_at(connection);
  const QPersistentModelIndex kept(connection.siblingAtColumn(0));
  for (const MenuSpec& spec : kConnectionMenu) {
    QAction* action = menu->addAction(QString::fromUtf8(spec.text));
    const bool needs_id = spec.command == Command::Chat;
    action->setEnabled(target.has_value() && available(spec.command) && (!needs_id || !target->peer_id.empty()));
    const Command command = spec.command;
    connect(action, &QAction::triggered, this, [this, command, kept] { run_on_connection(command, kept); });
  }
  return menu;
}

void CDownStatusDialog::show_context_menu(const QPoint& at) {
  const QModelIndex index = list_->indexAt(at);
  QMenu* menu = model_->is_connection(index) ? connection_menu(this, index) : file_menu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(list_->viewport()->mapToGlobal(at));
}

}  // namespace dovel::ui
