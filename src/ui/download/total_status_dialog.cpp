#include "ui/download/total_status_dialog.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <string>

#include "ui/controls/message_sink.h"
#include "ui/download/down_status_dialog.h"
#include "ui/download/log_folders.h"

namespace dovel::ui {

CTotalStatusDialog::CTotalStatusDialog(DownloadCommands commands, MessageSink& messages, QWidget* upload_monitor, QWidget* parent)
    : QWidget(parent),
      commands_(commands),
      messages_(messages),
      downloads_(new CDownStatusDialog(std::move(commands), this)),
      uploads_(upload_monitor),
      children_(new QStackedWidget(this)) {
  children_->addWidget(downloads_);
  if (uploads_ != nullptr) children_->addWidget(uploads_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(build_button_bar());
  layout->addWidget(children_, 1);
  show_child(Child::Downloads);
}

QWidget* CTotalStatusDialog::build_button_bar() {
  auto* bar = new QWidget(this);
  bar->setFixedHeight(kButtonBarHeight);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(2, 0, 2, 0);
  row->setSpacing(2);
  auto make = [&](const char* text, const char* tip) {
    auto* button = new QToolButton(bar);
    button->setText(QString::fromUtf8(text));
    if (tip != nullptr) button->setToolTip(QString::fromUtf8(tip));
    button->setAutoRaise(true);
    row->addWidget(button);
    return button;
  };
  downloads_toggle_ = make("다운로드", nullptr);
  uploads_toggle_ = make("업로드", nullptr);
  for (QToolButton* toggle : {downloads_toggle_, uploads_toggle_}) toggle->setCheckable(true);
  auto* toggles = new QButtonGroup(bar);
  toggles->setExclusive(true);
  toggles->addButton(downloads_toggle_);
  toggles->addButton(uploads_toggle_);
  uploads_toggle_->setEnabled(uploads_ != nullptr);
  row->addStretch();
  open_logs_ = make("로그폴더", "로그폴더를 엽니다.");
  clear_logs_ = make("로그삭제", "로그폴더를 지웁니다.");
  download_folder_ = make("다운로드폴더", "다운로드 폴더를 엽니다.");
  open_logs_->setEnabled(commands_.program_folder && commands_.open_path);
  clear_logs_->setEnabled(static_cast<bool>(commands_.clear_logs));
  download_folder_->setEnabled(commands_.download_folder && commands_.open_path);

  connect(downloads_toggle_, &QToolButton::clicked, this, [this] { show_child(Child::Downloads); });
  connect(uploads_toggle_, &QToolButton::clicked, this, [this] { show_child(Child::Uploads); });
  connect(open_logs_, &QToolButton::clicked, this, &CTotalStatusDialog::open_log_folder);
  connect(clear_logs_, &QToolButton::clicked, this, &CTotalStatusDialog::clear_logs);
  connect(download_folder_, &QToolButton::clicked, this, &CTotalStatusDialog::open_download_folder);
  return bar;
}

void CTotalStatusDialog::show_child(Child child) {
  if (child == Child::Uploads && uploads_ == nullptr) child = Child::Downloads;
  shown_ = child;
  children_->setCurrentWidget(child == Child::Uploads ? uploads_ : static_cast<QWidget*>(downloads_));
  downloads_toggle_->setChecked(child == Child::Downloads);
  uploads_toggle_->setChecked(child == Child::Uploads);
}

void CTotalStatusDialog::open_log_folder() {
  if (!commands_.program_folder || !commands_.open_path) return;
  const std::string program_folder = commands_.program_folder();
  if (!program_folder.empty()) commands_.open_path(log_folder(program_folder).string());
}

void CTotalStatusDialog::clear_logs() {
  if (!commands_.clear_logs) return;
  if (messages_.ask(this, QString::fromUtf8(kClearLogsQuestion))) commands_.clear_logs();
}

void CTotalStatusDialog::open_download_folder() {
  if (!commands_.download_folder || !commands_.open_path) return;
  const std::string folder = commands_.download_folder();
  if (!folder.empty()) commands_.open_path(folder);
}

}  // namespace dovel::ui
