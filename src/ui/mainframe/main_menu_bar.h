#pragma once

#include <QButtonGroup>
#include <QFrame>
#include <QToolButton>

#include <array>

namespace dovel::ui {

// The menu bar across the top of the main window: the five view buttons, the
// session button, the share-server start button, the download-folder button and
// the button of the main menu. A right click opens the main menu; a double
// click maximises or restores the window.
class CMainMenuDialog final : public QFrame {
  Q_OBJECT

 public:
  explicit CMainMenuDialog(QWidget* parent = nullptr);

  QToolButton* view_button(int view) const { return view_buttons_.at(static_cast<size_t>(view)); }
  // Checks the button of the view shown.
  void mark_view(int view);
  QToolButton* session_button() const { return session_; }
  QToolButton* server_start_button() const { return server_start_; }
  QToolButton* download_folder_button() const { return download_folder_; }
  QToolButton* main_menu_button() const { return main_menu_; }
  void show_logged_in(bool logged_in);

 signals:
  void view_chosen(int view);
  void main_menu_requested(const QPoint& global_position);
  void maximise_toggled();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QToolButton* add_button(const QString& text);

  QButtonGroup views_;
  std::array<QToolButton*, 5> view_buttons_{};
  QToolButton* session_;
  QToolButton* server_start_;
  QToolButton* download_folder_;
  QToolButton* main_menu_;
};

}  // namespace dovel::ui
