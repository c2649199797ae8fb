#include "ui/settings/prop_folder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "share/shared_folder_rules.h"
#include "ui/settings/share_folder_dialog.h"

namespace dovel::ui {
namespace {

constexpr int kNameColumn = 0;
constexpr int kFolderColumn = 1;
constexpr int kFlagsColumn = 2;
constexpr int kFlagsRole = Qt::UserRole;

}  // namespace

CPropFolder::CPropFolder(settings::Settings& settings, MessageSink& messages, const SettingsSheetHooks& hooks, QWidget* parent)
    : SettingsPage(parent),
      settings_(settings),
      messages_(messages),
      hooks_(hooks),
      down_path_edit_(new QLineEdit(this)),
      folder_list_(new QTreeWidget(this)),
      password_edit_(new QLineEdit(this)),
      show_password_button_(new QPushButton(QStringLiteral("문자로보기"), this)) {
  const settings::StoredSettings values = settings_.values();
  down_path_edit_->setText(QString::fromStdString(values.down_path));
  password_edit_->setText(QString::fromStdString(values.folder_pass));
  password_edit_->setEchoMode(QLineEdit::Password);
  password_edit_->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // '*'
  show_password_button_->hide();

  folder_list_->setColumnCount(3);
  folder_list_->setHeaderLabels({QStringLiteral("이름"), QStringLiteral("폴더"), QStringLiteral("권한")});
  folder_list_->setColumnWidth(kNameColumn, 100);
  folder_list_->setColumnWidth(kFolderColumn, 200);
  folder_list_->setColumnWidth(kFlagsColumn, 100);
  folder_list_->setRootIsDecorated(false);
  folder_list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  folder_list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  folder_list_->setAllColumnsShowFocus(true);
  folder_list_->setStyleSheet(QStringLiteral("QTreeView::item { border: 1px solid palette(midlight); }"));
  fill_rows(values.shared_folders);

  auto* choose_down = new QPushButton(QStringLiteral("폴더선택"), this);
  choose_down->setEnabled(static_cast<bool>(hooks_.pick_folder));
  auto* add = new QPushButton(QStringLiteral("추  가(&A)"), this);
  auto* remove = new QPushButton(QStringLiteral("삭  제(&D)"), this);
  auto* modify = new QPushButton(QStringLiteral("수  정(&M)"), this);
  auto* remove_all = new QPushButton(QStringLiteral("전체삭제(&R)"), this);
  auto* open = new QPushButton(QStringLiteral("폴더열기(&O)"), this);
  auto* up = new QPushButton(QStringLiteral("위로(&U)"), this);
  auto* down = new QPushButton(QStringLiteral("아래로(&D)"), this);
  auto* protected_search = new QPushButton(QStringLiteral("** 공유폴더내 저작권 자료 검색 **"), this);
  open->setEnabled(static_cast<bool>(hooks_.open_path));
  up->setEnabled(hooks_.share_database != nullptr);
  down->setEnabled(hooks_.share_database != nullptr);
  protected_search->setEnabled(static_cast<bool>(hooks_.search_protected_works));

  auto* down_row = new QHBoxLayout;
  down_row->addWidget(new QLabel(QStringLiteral("다운로드 폴더:"), this));
  down_row->addWidget(down_path_edit_, 1);
  down_row->addWidget(choose_down);

  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {add, remove, modify, remove_all, open, up, down}) buttons->addWidget(button);
  buttons->addStretch(1);
  auto* list_row = new QHBoxLayout;
  list_row->addWidget(folder_list_, 1);
  list_row->addLayout(buttons);

  auto* password_row = new QHBoxLayout;
  password_row->addWidget(new QLabel(QStringLiteral("비밀폴더 암호:"), this));
  password_row->addWidget(password_edit_, 1);
  password_row->addWidget(show_password_button_);

  auto* note = new QLabel(QStringLiteral("위/아래로 위치이동을 할 경우 공유파일수에 따라 시간이 다소 소요될 수도 있습니다."), this);
  note->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(down_row);
  layout->addWidget(new QLabel(QStringLiteral("공유할 폴더"), this));
  layout->addLayout(list_row, 1);
  layout->addWidget(note);
  layout->addWidget(protected_search);
  layout->addLayout(password_row);

  connect(choose_down, &QPushButton::clicked, this, &CPropFolder::choose_down_path);
  connect(add, &QPushButton::clicked, this, &CPropFolder::add_folder);
  connect(remove, &QPushButton::clicked, this, &CPropFolder::delete_folders);
  connect(modify, &QPushButton::clicked, this, &CPropFolder::modify_folder);
  connect(folder_list_, &QTreeWidget::itemDoubleClicked, this, &CPropFolder::modify_folder);
  connect(remove_all, &QPushButton::clicked, this, &CPropFolder::delete_all_but_first);
  connect(open, &QPushButton::clicked, this, &CPropFolder::open_folder);
  connect(up, &QPushButton::clicked, this, [this] { move_selected(share::MoveDirection::Up); });
  connect(down, &QPushButton::clicked, this, [this] { move_selected(share::MoveDirection::Down); });
  connect(protected_search, &QPushButton::clicked, this, [this] {
    std::vector<settings::SharedFolder> searchable;
    for (const settings::SharedFolder& folder : rows()) {
      if (folder.flags < settings::SHARE_FRIEND) searchable.push_back(folder);
    }
    hooks_.search_protected_works(searchable);
  });
  connect(show_password_button_, &QPushButton::clicked, this, &CPropFolder::toggle_password_shown);
}

void CPropFolder::set_row(QTreeWidgetItem* item, const settings::SharedFolder& folder) {
  item->setText(kNameColumn, QString::fromStdString(folder.name));
  item->setText(kFolderColumn, QString::fromStdString(folder.path));
  item->setText(kFlagsColumn, QString::fromStdString(share::ShareFlagsText(folder.flags)));
  item->setData(kNameColumn, kFlagsRole, folder.flags);
}

void CPropFolder::fill_rows(const std::vector<settings::SharedFolder>& rows) {
  folder_list_->clear();
  for (const settings::SharedFolder& folder : rows) set_row(new QTreeWidgetItem(folder_list_), folder);
}

settings::SharedFolder CPropFolder::row_at(int index) const {
  const QTreeWidgetItem* item = folder_list_->topLevelItem(index);
  return {item->text(kNameColumn).toStdString(), item->text(kFolderColumn).toStdString(), item->data(kNameColumn, kFlagsRole).toUInt()};
}

std::vector<settings::SharedFolder> CPropFolder::rows() const {
  std::vector<settings::SharedFolder> all;
  for (int i = 0; i < folder_list_->topLevelItemCount(); ++i) all.push_back(row_at(i));
  return all;
}

int CPropFolder::current_row() const {
  const QList<QTreeWidgetItem*> selected = folder_list_->selectedItems();
  if (selected.isEmpty()) return -1;
  int first = folder_list_->topLevelItemCount();
  for (QTreeWidgetItem* item : selected) first = std::min(first, folder_list_->indexOfTopLevelItem(item));
  return first;
}

void CPropFolder::choose_down_path() {
  std::optional<std::string> chosen =
      hooks_.pick_folder(this, QStringLiteral("다운로드할 폴더를 선택하세요."), down_path_edit_->text().toStdString());
  if (chosen) down_path_edit_->setText(QString::fromStdString(*chosen));
}

void CPropFolder::add_folder() {
  CShareFolderDialog dialog(messages_, hooks_.pick_folder, share::EntryMode::Add, rows(),
                            {"", "", settings::SHARE_READ | settings::SHARE_ADULT}, this);
  if (dialog.exec() != QDialog::Accepted) return;
  set_row(new QTreeWidgetItem(folder_list_), dialog.entry());
  list_changed_ = true;
}

void CPropFolder::modify_folder() {
  const int index = current_row();
  if (index < 0) return;
  const settings::SharedFolder before = row_at(index);
  CShareFolderDialog dialog(messages_, hooks_.pick_folder, share::EntryMode::Modify, rows(), before, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const settings::SharedFolder after = dialog.entry();
  set_row(folder_list_->topLevelItem(index), after);
  if (share::modification_needs_rehash(before, after)) list_changed_ = true;
}

void CPropFolder::delete_folders() {
  const QList<QTreeWidgetItem*> selected = folder_list_->selectedItems();
  if (selected.isEmpty()) return;
  if (folder_list_->topLevelItemCount() == 1) {
    messages_.inform(window(), QStringLiteral("삭제할 수 없습니다. 최소 하나이상이 설정되어야 합니다."));
    return;
  }
  if (!messages_.ask(window(), QStringLiteral("선택한 항목을 삭제하시겠습니까?"))) return;
  const bool every_row = selected.size() == folder_list_->topLevelItemCount();
  const int kept = every_row ? current_row() : -1;
  for (int i = folder_list_->topLevelItemCount() - 1; i >= 0; --i) {
    QTreeWidgetItem* item = folder_list_->topLevelItem(i);
    if (item->isSelected() && i != kept) delete item;
  }
  list_changed_ = true;
  if (every_row) {
    messages_.inform(window(), QStringLiteral("최소 하나 이상이 설정이 되어야 하므로 선택된것이 모두 지워지지 않았습니다."));
  }
}

void CPropFolder::delete_all_but_first() {
  if (folder_list_->topLevelItemCount() < 1) return;
  if (!messages_.ask(window(), QStringLiteral("첫번째 공유폴더를 제외하고 모두 삭제하시겠습니까?"))) return;
  while (folder_list_->topLevelItemCount() > 1) delete folder_list_->topLevelItem(folder_list_->topLevelItemCount() - 1);
  list_changed_ = true;
}

void CPropFolder::open_folder() {
  const int index = current_row();
  if (index >= 0 && hooks_.open_path) hooks_.open_path(row_at(index).path);
}

void CPropFolder::move_selected(share::MoveDirection direction) {
  const int index = current_row();
  if (index < 0 || hooks_.share_database == nullptr) return;
  std::vector<settings::SharedFolder> all = rows();
  const bool hashing = hooks_.hashing_active && hooks_.hashing_active();
  share::MoveResult result = share::move_shared_folder(all, static_cast<size_t>(index), direction, *hooks_.share_database, hashing);
  if (result.message) messages_.inform(window(), QString::fromStdString(*result.message));
  if (!result.moved) return;
  fill_rows(all);
  const int moved_to = direction == share::MoveDirection::Up ? index - 1 : index + 1;
  folder_list_->topLevelItem(moved_to)->setSelected(true);
  folder_list_->setCurrentItem(folder_list_->topLevelItem(moved_to));
}

void CPropFolder::toggle_password_shown() {
  const bool masked = password_edit_->echoMode() == QLineEdit::Password;
  password_edit_->setEchoMode(masked ? QLineEdit::Normal : QLineEdit::Password);
  show_password_button_->setText(masked ? QStringLiteral("암호로보기") : QStringLiteral("문자로보기"));
}

bool CPropFolder::apply() {
  const std::vector<settings::SharedFolder> all = rows();
  const std::string down_path = down_path_edit_->text().toStdString();
  const std::string folder_pass = password_edit_->text().toStdString();
  if (std::optional<std::string> refusal = share::check_shared_folder_list(all, down_path, folder_pass)) {
    emit activation_requested();
    messages_.inform(window(), QString::fromStdString(*refusal));
    // Only the missing password can be the reason when any password would let the list pass.
    if (!share::check_shared_folder_list(all, down_path, "*")) password_edit_->setFocus();
    return false;
  }
  const bool stored = settings_.update([&](settings::StoredSettings& v) {
    v.down_path = down_path;
    v.folder_pass = folder_pass;
    v.shared_folders = all;
  });
  if (!stored) {
    emit activation_requested();
    messages_.inform(window(), QStringLiteral("공유이름과 공유폴더에는 ';'를 쓸 수 없습니다."));
    return false;
  }
  settings_.Save();
  if (hooks_.show_free_space) hooks_.show_free_space(down_path);
  if (list_changed_ && hooks_.start_full_hashing) hooks_.start_full_hashing();
  list_changed_ = false;
  return true;
}

}  // namespace dovel::ui
