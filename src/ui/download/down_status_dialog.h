#pragma once

#include <QTimer>
#include <QWidget>

#include <string>
#include <vector>

#include "ui/download/download_commands.h"
#include "ui/download/download_list_model.h"

class QCheckBox;
class QComboBox;
class QMenu;
class QPushButton;
class QTreeView;

namespace dovel::ui {

// The download window of the transfers view: the queue with its progress, the
// commands on the selected files, the download-speed limit and the two
// download switches. Commands act on the selected files only; the child rows
// (connections) have their own menu.
class CDownStatusDialog final : public QWidget {
  Q_OBJECT

 public:
  enum class Command { Resume, Stop, Remove, Run, FileInfo, Explore, Chat, CopyLink, RemoveFinished, OpenDownloadFolder, MoveUp, MoveDown };

  static constexpr int kRefreshMs = 2000;
  // What the other columns and the frame take of the list's width.
  static constexpr int kFixedWidth = 912;
  static constexpr int kFixedWidthPrivileged = 972;
  static constexpr int kMinimumFileWidth = 120;
  static constexpr int kMaxMovedRows = 1000;
  static constexpr const char* kAutoStopReportedTip =
      "허위신고된 파일일 경우 자동으로 전송이 중지됩니다. 받으시려면 체크를 해제후 재시도 바랍니다.";

  explicit CDownStatusDialog(DownloadCommands commands, QWidget* parent = nullptr);

  // The FileHashes of the selected files in list order (connections skipped).
  std::vector<std::string> selected_hashes() const;
  // Runs a command as its button or menu item does.
  void run(Command command);
  // Explore or chat on the connection of a child row.
  void run_on_connection(Command command, const QModelIndex& connection);
  // The pop-up menus as they would open (the caller owns them).
  QMenu* file_menu(QWidget* parent);
  QMenu* connection_menu(QWidget* parent, const QModelIndex& connection);
  bool available(Command command) const;

  QTreeView* list() const { return list_; }
  DownloadListModel* model() const { return model_; }
  QPushButton* button(Command command) const;
  QComboBox* speed_limit_box() const { return speed_limit_; }
  QCheckBox* multi_down_box() const { return multi_down_; }
  QCheckBox* auto_stop_box() const { return auto_stop_; }
  const QTimer& refresh_timer() const { return timer_; }

  // The width of the "파일" column for a list this wide.
  static int file_column_width(int list_width, bool privileged);

 public slots:
  // Reads the rows again (the change listener and the timer call it).
  void refresh();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct CommandButton {
    Command command;
    QPushButton* button;
  };

  void build_list();
  QWidget* build_buttons();
  QWidget* build_options();
  void fit_file_column();
  void select_speed_limit(int row);
  void show_context_menu(const QPoint& at);
  void open_selected_file(const QModelIndex& index);
  void run_on(Command command, const download::ListRow& row);
  void explore_row(const download::ItemSnapshot& item);
  void move_selected(bool up);
  void copy_link();
  const download::ListRow* first_selected_row() const;

  DownloadCommands commands_;
  DownloadListModel* model_;
  QTreeView* list_;
  std::vector<CommandButton> buttons_;
  QComboBox* speed_limit_;
  QCheckBox* multi_down_;
  QCheckBox* auto_stop_;
  QTimer timer_;
};

}  // namespace dovel::ui
