#include "ui/mainframe/main_menu_bar.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QMouseEvent>

namespace dovel::ui {
namespace {

constexpr std::array<const char*, 5> kViewButtonTexts = {"홈", "서버목록", "검색", "탐색", "전송"};

}  // namespace

CMainMenuDialog::CMainMenuDialog(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(233, 229, 237));
  setPalette(colours);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 4, 6, 4);
  for (size_t view = 0; view < view_buttons_.size(); ++view) {
    QToolButton* button = add_button(QString::fromUtf8(kViewButtonTexts[view]));
    button->setCheckable(true);
    views_.addButton(button, static_cast<int>(view));
    view_buttons_[view] = button;
  }
  views_.setExclusive(true);
  connect(&views_, &QButtonGroup::idClicked, this, &CMainMenuDialog::view_chosen);
  layout->addStretch(1);
  session_ = add_button(QString::fromUtf8("로그인"));
  server_start_ = add_button(QString::fromUtf8("서버시작"));
  download_folder_ = add_button(QString::fromUtf8("다운로드폴더"));
  main_menu_ = add_button(QString::fromUtf8("메뉴"));
  connect(main_menu_, &QToolButton::clicked, this,
          [this] { emit main_menu_requested(main_menu_->mapToGlobal(QPoint(0, main_menu_->height()))); });
  mark_view(0);
}

QToolButton* CMainMenuDialog::add_button(const QString& text) {
  auto* button = new QToolButton(this);
  button->setText(text);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setMinimumWidth(72);
  layout()->addWidget(button);
  return button;
}

void CMainMenuDialog::mark_view(int view) {
  if (view < 0 || view >= static_cast<int>(view_buttons_.size())) return;
  view_buttons_[static_cast<size_t>(view)]->setChecked(true);
}

void CMainMenuDialog::show_logged_in(bool logged_in) {
  session_->setText(logged_in ? QString::fromUtf8("로그아웃") : QString::fromUtf8("로그인"));
}

void CMainMenuDialog::contextMenuEvent(QContextMenuEvent* event) { emit main_menu_requested(event->globalPos()); }

void CMainMenuDialog::mouseDoubleClickEvent(QMouseEvent* event) {
  QFrame::mouseDoubleClickEvent(event);
  emit maximise_toggled();
}

}  // namespace dovel::ui
