#pragma once

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <memory>

namespace dovel::ui {

// The tray icon and its menu. Where the desktop has no tray the icon is never
// shown, but the tip is still kept, so that what it would say can be read.
class CSystemTray final : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxTipCharacters = 127;
  static constexpr const char* kStartTip = "Dovel - 마우스 우측버턴을 클릭하세요.";

  // `use_tray` false keeps the icon away even where a tray exists.
  CSystemTray(const QIcon& icon, bool use_tray, QObject* parent = nullptr);
  ~CSystemTray() override;

  bool shown() const { return icon_ != nullptr; }
  // Longer text is cut at 127 characters; "\r\n" breaks lines.
  void set_tip(const QString& tip);
  QString tip() const { return tip_; }
  // The window's last moments: the icon goes.
  void remove();

  QMenu& menu() { return menu_; }
  QAction* open_action() const { return open_; }
  QAction* download_folder_action() const { return download_folder_; }
  QAction* settings_action() const { return settings_; }
  QAction* centre_action() const { return centre_; }
  QAction* exit_action() const { return exit_; }

 signals:
  // The default item: a double click on the icon, or "프로그램 열기(&O)".
  void open_requested();

 private:
  QMenu menu_;
  QAction* open_ = nullptr;
  QAction* download_folder_ = nullptr;
  QAction* settings_ = nullptr;
  QAction* centre_ = nullptr;
  QAction* exit_ = nullptr;
  std::unique_ptr<QSystemTrayIcon> icon_;
  QString tip_;
};

}  // namespace dovel::ui
