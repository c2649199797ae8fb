#include "ui/serverlist/server_list_search_dialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "settings/setting_table.h"
#include "ui/controls/message_sink.h"
#include "ui/serverlist/server_list_model.h"

namespace dovel::ui {
namespace {

constexpr int kSearchById = 1;
constexpr int kSearchByTitle = 0;

}  // namespace

CServerListSearchDialog::CServerListSearchDialog(ServerListModel& model, QTreeView& list, const ServerListCommands& commands,
                                                 MessageSink& messages, QWidget* parent)
    : QDialog(parent),
      model_(model),
      list_(list),
      commands_(commands),
      messages_(messages),
      text_(new QLineEdit(this)),
      by_id_(new QRadioButton(QStringLiteral("아이디"), this)),
      by_title_(new QRadioButton(QStringLiteral("서버제목"), this)),
      find_(new QPushButton(QStringLiteral("찾기"), this)),
      next_(new QPushButton(QStringLiteral("다음"), this)),
      result_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("서버검색"));
  auto* modes = new QButtonGroup(this);
  modes->addButton(by_id_);
  modes->addButton(by_title_);

  const bool privileged = commands_.privileged && commands_.privileged();
  by_id_->setVisible(privileged);
  if (privileged) {
    const int stored = commands_.values != nullptr ? commands_.values->read(settings::kServerSearchId) : settings::kServerSearchId.on_load;
    if (stored == kSearchById) by_id_->setChecked(true);
    if (stored == kSearchByTitle) by_title_->setChecked(true);
  } else {
    by_title_->setChecked(true);
  }

  auto* mode_row = new QHBoxLayout;
  mode_row->addWidget(by_id_);
  mode_row->addWidget(by_title_);
  mode_row->addStretch();
  auto* text_row = new QHBoxLayout;
  text_row->addWidget(new QLabel(QStringLiteral("검색어:"), this));
  text_row->addWidget(text_, 1);
  text_row->addWidget(find_);
  text_row->addWidget(next_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(mode_row);
  layout->addLayout(text_row);
  layout->addWidget(result_);
  setMinimumWidth(360);

  connect(find_, &QPushButton::clicked, this, &CServerListSearchDialog::find_first);
  connect(next_, &QPushButton::clicked, this, &CServerListSearchDialog::find_next);
  connect(text_, &QLineEdit::returnPressed, this, &CServerListSearchDialog::find_next);
  connect(text_, &QLineEdit::textChanged, this, &CServerListSearchDialog::restart);
  connect(modes, &QButtonGroup::buttonToggled, this, [this, privileged](QAbstractButton* button, bool checked) {
    if (!checked) return;
    restart();
    if (privileged && commands_.values != nullptr) {
      commands_.values->write(settings::kServerSearchId, button == by_id_ ? kSearchById : kSearchByTitle);
    }
  });
}

CServerListSearchDialog::Mode CServerListSearchDialog::mode() const {
  if (by_id_->isChecked()) return Mode::OwnerId;
  if (by_title_->isChecked()) return Mode::Title;
  return Mode::None;
}

void CServerListSearchDialog::restart() {
  last_hit_ = -1;
  next_->setEnabled(true);
  result_->clear();
}

void CServerListSearchDialog::find_first() { search_from(0); }

void CServerListSearchDialog::find_next() { search_from(last_hit_ + 1); }

bool CServerListSearchDialog::matches(int row, const QString& text, Mode mode) const {
  if (mode == Mode::Title) return model_.index(row, ServerListModel::kTitleColumn).data().toString().contains(text);
  const std::optional<ServerRowTarget> target = model_.target(row);
  return target && QString::fromStdString(target->owner_id).contains(text, Qt::CaseInsensitive);
}

int CServerListSearchDialog::hit_from(int row, const QString& text, Mode mode) const {
  for (; row < model_.rowCount(); ++row) {
    if (matches(row, text, mode)) return row;
  }
  return -1;
}

void CServerListSearchDialog::search_from(int row) {
  const QString text = text_->text().trimmed();
  if (text.isEmpty()) {
    messages_.inform(this, QString::fromUtf8(kEmptyTextMessage));
    return;
  }
  const Mode chosen = mode();
  if (chosen == Mode::None) {
    messages_.inform(this, QString::fromUtf8(kNoModeMessage));
    return;
  }
  const int hit = hit_from(std::max(row, 0), text, chosen);
  if (hit < 0) {
    next_->setEnabled(false);
    result_->setText(QStringLiteral("찾는 서버가 없습니다."));
    return;
  }
  last_hit_ = hit;
  const QModelIndex found = model_.index(hit, ServerListModel::kTitleColumn);
  list_.selectionModel()->setCurrentIndex(found, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list_.scrollTo(found);
  next_->setEnabled(hit_from(hit + 1, text, chosen) >= 0);
  result_->clear();
}

}  // namespace dovel::ui
