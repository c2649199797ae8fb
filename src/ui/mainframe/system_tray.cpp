#include "ui/mainframe/system_tray.h"

namespace dovel::ui {

CSystemTray::CSystemTray(const QIcon& icon, bool use_tray, QObject* parent)
    : QObject(parent) {
  open_ = menu_.addAction(QString::fromUtf8("프로그램 열기(&O)"));
  download_folder_ = menu_.addAction(QString::fromUtf8("다운로드폴더 열기(&D)"));
  settings_ = menu_.addAction(QString::fromUtf8("환경 설정(&C)"));
  centre_ = menu_.addAction(QString::fromUtf8("화면 중앙으로 이동(&M)"));
  menu_.addSeparator();
  exit_ = menu_.addAction(QString::fromUtf8("프로그램 종료(&X)"));
  menu_.setDefaultAction(open_);
  connect(open_, &QAction::triggered, this, &CSystemTray::open_requested);
  tip_ = QString::fromUtf8(kStartTip);
  if (use_tray && QSystemTrayIcon::isSystemTrayAvailable()) {
    icon_ = std::make_unique<QSystemTrayIcon>(icon);
    icon_->setContextMenu(&menu_);
    icon_->setToolTip(tip_);
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
      if (reason == QSystemTrayIcon::DoubleClick) emit open_requested();
    });
    icon_->show();
  }
}

CSystemTray::~CSystemTray() { remove(); }

void CSystemTray::set_tip(const QString& tip) {
  QString text = tip;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (text.size() > kMaxTipCharacters) text.truncate(kMaxTipCharacters);
  tip_ = text;
  if (icon_ != nullptr) icon_->setToolTip(tip_);
}

void CSystemTray::remove() {
  if (icon_ == nullptr) return;
  icon_->hide();
  icon_.reset();
}

}  // namespace dovel::ui
