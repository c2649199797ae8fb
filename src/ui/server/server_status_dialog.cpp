#include "ui/server/server_status_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>
#include <set>

#include "base/text.h"
#include "settings/setting_table.h"
#include "ui/controls/message_sink.h"
#include "util/letter_pair.h"

namespace dovel::ui {
namespace {

struct Column {
  const char* title;
  int width;
};

// Visible columns, then the hidden ones: the file's FileHash, the uploader's encoded ID, spare.
constexpr Column kUploadColumns[] = {{"별명", 70},   {"요청파일", 80}, {"요청크기", 70}, {"보낸량", 70}, {"평균속도", 70},
                                     {"남은시간", 70}, {"", 0},         {"", 0},         {"", 0}};
constexpr int kUploadVisibleColumns = 6;
constexpr int kHashColumn = 6;
constexpr int kEncodedIdColumn = 7;

constexpr Column kPeerColumns[] = {{"별명", 160}, {"접속시간", 75}, {"", 0}};
constexpr int kPeerVisibleColumns = 2;

constexpr const char* kUploadLimitTexts[] = {"제한없음", "3000K", "1000K", "700K", "500K", "300K"};
static_assert(std::size(kUploadLimitTexts) == server::UploadMonitor::kUploadLimitRows.size());

constexpr int kIdRole = Qt::UserRole;

QTreeWidget* make_list(QWidget* parent, const Column* columns, int count, int visible) {
  auto* list = new QTreeWidget(parent);
  list->setRootIsDecorated(false);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  list->setColumnCount(count);
  QStringList titles;
  for (int i = 0; i < count; ++i) titles << QString::fromUtf8(columns[i].title);
  list->setHeaderLabels(titles);
  for (int i = 0; i < count; ++i) {
    list->setColumnWidth(i, columns[i].width);
    list->setColumnHidden(i, i >= visible);
  }
  return list;
}

uint64_t item_id(const QTreeWidgetItem* item) { return item->data(0, kIdRole).toULongLong(); }

// Brings a list to the given rows: rows of ids no longer there go, known rows
// are updated in place (keeping the selection), new rows are appended.
void sync_rows(QTreeWidget* list, const std::map<uint64_t, QStringList>& rows) {
  std::set<uint64_t> shown;
  for (int i = list->topLevelItemCount() - 1; i >= 0; --i) {
    QTreeWidgetItem* item = list->topLevelItem(i);
    auto found = rows.find(item_id(item));
    if (found == rows.end()) {
      delete list->takeTopLevelItem(i);
      continue;
    }
    for (int column = 0; column < found->second.size(); ++column) item->setText(column, found->second[column]);
    shown.insert(found->first);
  }
  for (const auto& [id, texts] : rows) {
    if (shown.count(id) != 0) continue;
    auto* item = new QTreeWidgetItem(texts);
    item->setData(0, kIdRole, QVariant::fromValue<qulonglong>(id));
    list->addTopLevelItem(item);
  }
}

QString qt_text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

CServerStatusDialog::CServerStatusDialog(server::UploadMonitor& monitor, UploadPaneCommands commands, MessageSink& messages,
                                         QWidget* parent)
    : QWidget(parent),
      monitor_(monitor),
      commands_(std::move(commands)),
      messages_(messages),
      uploads_(make_list(this, kUploadColumns, static_cast<int>(std::size(kUploadColumns)), kUploadVisibleColumns)),
      peers_(make_list(this, kPeerColumns, static_cast<int>(std::size(kPeerColumns)), kPeerVisibleColumns)),
      message_all_(new QPushButton(QString::fromUtf8(kMessageAllText), this)),
      pause_(new QCheckBox(QStringLiteral("신규업로드 중지"), this)),
      limit_(new QComboBox(this)) {
  for (const char* text : kUploadLimitTexts) limit_->addItem(QString::fromUtf8(text));
  if (commands_.values != nullptr) monitor_.select_upload_limit(commands_.values->read(settings::kLimitUploadSpeed));
  limit_->setCurrentIndex(static_cast<int>(monitor_.upload_limit_row()));
  pause_->setChecked(monitor_.new_uploads_paused());
  message_all_->setEnabled(static_cast<bool>(commands_.message_uploaders));

  auto* limit_row = new QHBoxLayout;
  limit_row->addWidget(new QLabel(QStringLiteral("업속도제한:"), this));
  limit_row->addWidget(limit_);
  limit_row->addWidget(new QLabel(QStringLiteral("속도제한은 정확한수치로 동작하지 않을 수 있습니다."), this));
  limit_row->addStretch();
  auto* controls = new QHBoxLayout;
  controls->addWidget(message_all_);
  controls->addWidget(pause_);
  controls->addStretch();
  auto* lists = new QHBoxLayout;
  lists->addWidget(uploads_, 3);
  lists->addWidget(peers_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists);
  layout->addLayout(controls);
  layout->addLayout(limit_row);

  connect(pause_, &QCheckBox::toggled, this, [this](bool paused) { monitor_.set_new_uploads_paused(paused); });
  connect(limit_, &QComboBox::currentIndexChanged, this, [this](int row) {
    if (row >= 0) monitor_.select_upload_limit(static_cast<size_t>(row));
  });
  connect(message_all_, &QPushButton::clicked, this, &CServerStatusDialog::message_all_uploaders);
  connect(uploads_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu* menu = upload_menu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(uploads_->viewport()->mapToGlobal(at));
  });
  connect(peers_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QMenu* menu = peer_menu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(peers_->viewport()->mapToGlobal(at));
  });
  connect(&timer_, &QTimer::timeout, this, &CServerStatusDialog::refresh);
  timer_.start(kRefreshMs);
  refresh();
}

CServerStatusDialog::~CServerStatusDialog() {
  if (commands_.values != nullptr) commands_.values->write(settings::kLimitUploadSpeed, static_cast<uint32_t>(monitor_.upload_limit_row()));
}

void CServerStatusDialog::refresh() { show_rows(monitor_.upload_rows(), monitor_.peer_rows()); }

void CServerStatusDialog::show_rows(const std::vector<server::UploadRow>& uploads, const std::vector<server::PeerRow>& peers) {
  std::map<uint64_t, QStringList> upload_rows;
  for (const server::UploadRow& row : uploads) {
    upload_rows[row.id] = QStringList{qt_text(row.nickname), qt_text(row.file_name), qt_text(row.requested), qt_text(row.sent),
                                      qt_text(row.speed),    qt_text(row.remaining), qt_text(row.hash),      qt_text(row.encoded_user_id),
                                      QString()};
  }
  std::map<uint64_t, QStringList> peer_rows;
  for (const server::PeerRow& row : peers) peer_rows[row.id] = QStringList{qt_text(row.label), qt_text(row.connected), QString()};
  sync_rows(uploads_, upload_rows);
  sync_rows(peers_, peer_rows);
}

std::optional<CServerStatusDialog::Target> CServerStatusDialog::selected_upload() const {
  QTreeWidgetItem* item = uploads_->currentItem();
  if (item == nullptr || !item->isSelected()) return std::nullopt;
  Target target;
  target.id = item_id(item);
  target.user_id = util::Decode(item->text(kEncodedIdColumn).toStdString());
  for (const auto& upload : monitor_.uploads()) {
    if (upload->id != target.id) continue;
    target.address = upload->peer_address;
    target.port = upload->peer_port;
  }
  return target;
}

std::optional<CServerStatusDialog::Target> CServerStatusDialog::selected_peer() const {
  QTreeWidgetItem* item = peers_->currentItem();
  if (item == nullptr || !item->isSelected()) return std::nullopt;
  Target target;
  target.id = item_id(item);
  for (const auto& peer : monitor_.peers()) {
    if (peer->id() != target.id) continue;
    server::ConnectedPeer::Details details = peer->details();
    target.user_id = details.user_id;
    target.address = details.address;
    target.port = details.port;
  }
  return target;
}

void CServerStatusDialog::run_on_uploads(Command command) { run(command, selected_upload(), true); }

void CServerStatusDialog::run_on_peers(Command command) { run(command, selected_peer(), false); }

bool CServerStatusDialog::available(Command command, bool upload) const {
  switch (command) {
    case Command::Disconnect: return upload ? static_cast<bool>(commands_.close_upload) : static_cast<bool>(commands_.disconnect_peer);
    case Command::Explore: return static_cast<bool>(commands_.explore);
    case Command::Chat: return static_cast<bool>(commands_.chat);
    case Command::Block: return static_cast<bool>(commands_.block);
    case Command::MessageUploaders: return static_cast<bool>(commands_.message_uploaders);
  }
  return false;
}

void CServerStatusDialog::run(Command command, const std::optional<Target>& target, bool upload) {
  if (!available(command, upload)) return;
  if (command == Command::MessageUploaders) {
    message_all_uploaders();
    return;
  }
  if (!target) return;
  switch (command) {
    case Command::Disconnect:
      if (upload) {
        commands_.close_upload(target->id);
      } else {
        commands_.disconnect_peer(target->id);
      }
      break;
    case Command::Explore:
      if (!target->address.empty() && target->port != 0) commands_.explore(target->address, target->port);
      break;
    case Command::Chat:
      if (!target->user_id.empty()) commands_.chat(target->user_id);
      break;
    case Command::Block:
      if (!target->user_id.empty() && messages_.ask(this, QString::fromUtf8(kBlockQuestion))) commands_.block(target->user_id);
      break;
    case Command::MessageUploaders: break;
  }
}

void CServerStatusDialog::message_all_uploaders() {
  if (!commands_.message_uploaders) return;
  std::vector<std::string> user_ids;
  std::set<std::string> seen;
  for (int i = 0; i < uploads_->topLevelItemCount(); ++i) {
    std::string user_id = util::Decode(uploads_->topLevelItem(i)->text(kEncodedIdColumn).toStdString());
    if (user_id.empty() || !seen.insert(base::ascii_lower(user_id)).second) continue;
    user_ids.push_back(std::move(user_id));
  }
  if (!user_ids.empty()) commands_.message_uploaders(base::join(user_ids, ";"));
}

QMenu* CServerStatusDialog::context_menu(QWidget* parent, bool upload) {
  auto* menu = new QMenu(parent);
  const bool selected = upload ? selected_upload().has_value() : selected_peer().has_value();
  auto add = [&](const char* text, Command command, bool needs_row) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setEnabled(available(command, upload) && (selected || !needs_row));
    connect(action, &QAction::triggered, this, [this, command, upload] {
      if (upload) {
        run_on_uploads(command);
      } else {
        run_on_peers(command);
      }
    });
  };
  add("연결끊기", Command::Disconnect, true);
  add("서버탐색", Command::Explore, true);
  add("1:1 채팅", Command::Chat, true);
  add("차단하기", Command::Block, true);
  menu->addSeparator();
  add(kMessageAllText, Command::MessageUploaders, false);
  return menu;
}

QMenu* CServerStatusDialog::upload_menu(QWidget* parent) { return context_menu(parent, true); }

QMenu* CServerStatusDialog::peer_menu(QWidget* parent) { return context_menu(parent, false); }

}  // namespace dovel::ui
