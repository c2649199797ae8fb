#include "ui/settings/share_folder_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "util/file_utils.h"

namespace dovel::ui {
namespace {

QLabel* wrapped_label(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

QGroupBox* note_box(const QString& title, const QString& text, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(wrapped_label(text, box));
  return box;
}

}  // namespace

CShareFolderDialog::CShareFolderDialog(MessageSink& messages, FolderPicker pick_folder, share::EntryMode mode,
                                       std::vector<settings::SharedFolder> rows, const settings::SharedFolder& initial, QWidget* parent)
    : QDialog(parent),
      messages_(messages),
      pick_folder_(std::move(pick_folder)),
      mode_(mode),
      rows_(std::move(rows)),
      name_edit_(new QLineEdit(QString::fromStdString(initial.name), this)),
      folder_edit_(new QLineEdit(QString::fromStdString(initial.path), this)),
      read_box_(new QCheckBox(QStringLiteral("읽기"), this)),
      write_box_(new QCheckBox(QStringLiteral("쓰기"), this)),
      adult_box_(new QCheckBox(QStringLiteral("성인"), this)),
      friend_box_(new QCheckBox(QStringLiteral("친구"), this)),
      secret_box_(new QCheckBox(QStringLiteral("비밀"), this)),
      choose_folder_button_(new QPushButton(QStringLiteral("폴더선택"), this)),
      agree_button_(new QPushButton(QStringLiteral("위 사항에 동의하고 설정함(&O)"), this)) {
  setWindowTitle(QStringLiteral("Dovel - 공유폴더설정"));
  setMinimumWidth(440);
  name_edit_->setPlaceholderText(QStringLiteral("예) 유틸리티"));
  folder_edit_->setReadOnly(true);
  // Every shared folder is readable and none writable; the boxes stay hidden.
  read_box_->setChecked(true);
  read_box_->hide();
  write_box_->setChecked(false);
  write_box_->hide();
  adult_box_->setChecked(initial.flags & settings::SHARE_ADULT);
  friend_box_->setChecked(initial.flags & settings::SHARE_FRIEND);
  secret_box_->setChecked(!(initial.flags & settings::SHARE_FRIEND) && (initial.flags & settings::SHARE_SECRET));
  choose_folder_button_->setEnabled(static_cast<bool>(pick_folder_));
  auto* cancel_button = new QPushButton(QStringLiteral("취소(&C)"), this);

  auto* folder_row = new QHBoxLayout;
  folder_row->addWidget(folder_edit_, 1);
  folder_row->addWidget(choose_folder_button_);
  auto* flags_row = new QHBoxLayout;
  for (QCheckBox* box : {adult_box_, friend_box_, secret_box_, read_box_, write_box_}) flags_row->addWidget(box);
  flags_row->addStretch(1);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("공유이름:"), name_edit_);
  form->addRow(QStringLiteral("공유폴더:"), folder_row);
  form->addRow(QStringLiteral("접근권한:"), flags_row);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(agree_button_);
  buttons->addWidget(cancel_button);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(wrapped_label(QStringLiteral("성인: 만 19세 이상만 접근이 가능합니다.\n친구: 친구에 등록된 사람만 접근이 가능합니다.\n"
                                                 "비밀: 비밀번호가 일치해야 접근이 가능합니다.\n\n친구와 비밀폴더는 검색이 되지 않습니다."),
                                  this));
  layout->addWidget(note_box(QStringLiteral("주의"),
                             QStringLiteral("공유폴더를 설정할때는 반드시 개인정보가 포함된 파일이 있는지 확인하시기 바랍니다."), this));
  layout->addWidget(note_box(QStringLiteral("경고"),
                             QStringLiteral("저작권자의 허락 없이 저작물을 공유하거나 음란물을 공유할 경우 민/형사상 처벌을 받을 수 있습니다."),
                             this));
  layout->addLayout(buttons);

  agree_button_->setDefault(true);
  connect(choose_folder_button_, &QPushButton::clicked, this, &CShareFolderDialog::choose_folder);
  connect(adult_box_, &QCheckBox::clicked, this, &CShareFolderDialog::on_adult_toggled);
  connect(friend_box_, &QCheckBox::clicked, this, &CShareFolderDialog::on_friend_toggled);
  connect(secret_box_, &QCheckBox::clicked, this, &CShareFolderDialog::on_secret_toggled);
  connect(agree_button_, &QPushButton::clicked, this, &CShareFolderDialog::agree);
  connect(cancel_button, &QPushButton::clicked, this, &QDialog::reject);
}

settings::SharedFolder CShareFolderDialog::entry() const {
  uint32_t flags = 0;
  if (read_box_->isChecked()) flags |= settings::SHARE_READ;
  if (write_box_->isChecked()) flags |= settings::SHARE_WRITE;
  if (adult_box_->isChecked()) flags |= settings::SHARE_ADULT;
  if (friend_box_->isChecked()) flags |= settings::SHARE_FRIEND;
  if (secret_box_->isChecked()) flags |= settings::SHARE_SECRET;
  return {name_edit_->text().toStdString(), folder_edit_->text().toStdString(), flags};
}

void CShareFolderDialog::choose_folder() {
  std::optional<std::string> chosen =
      pick_folder_(this,
                   QStringLiteral("주의: 공유폴더를 선택할때 필히 파일들이 공유가 되어도 문제가 없는지 다시한번 확인해 주시기 바랍니다."),
                   folder_edit_->text().toStdString());
  if (!chosen) return;
  if (!util::FolderExists(*chosen)) {
    messages_.inform(this, QStringLiteral("선택한 폴더가 존재하지 않습니다."));
    return;
  }
  // The root folder would share the whole system.
  if (util::SameFolder(*chosen, "/")) {
    messages_.inform(this, QStringLiteral("윈도우 루트폴더는 사용하실 수 없습니다."));
    return;
  }
  folder_edit_->setText(QString::fromStdString(*chosen));
}

void CShareFolderDialog::on_adult_toggled(bool on) {
  if (on) return;
  messages_.inform(this, QStringLiteral("성인물과 음란물을 필히 구분해주시기 바랍니다.\r\n\r\n음란물을 공유할 경우는 성인체크유무와 상관없이 "
                                      "민/형사상 처벌을 받을수 있습니다.\r\n\r\n이점 필히 유의하시고 건전한 통신문화에 적극 협조해주시기 바랍니다."));
}

void CShareFolderDialog::on_friend_toggled(bool on) {
  if (on) secret_box_->setChecked(false);
}

void CShareFolderDialog::on_secret_toggled(bool on) {
  if (on) friend_box_->setChecked(false);
}

void CShareFolderDialog::agree() {
  const settings::SharedFolder chosen = entry();
  if (std::optional<std::string> refusal = share::check_shared_folder_entry(chosen, rows_, mode_)) {
    messages_.inform(this, QString::fromStdString(*refusal));
    if (chosen.name.empty() || chosen.name == ".." || chosen.name.find(';') != std::string::npos) name_edit_->setFocus();
    return;
  }
  accept();
}

}  // namespace dovel::ui
