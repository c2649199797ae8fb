#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>
#include <string>

#include "service/server_directory.h"
#include "ui/serverlist/server_list_commands.h"
#include "ui/serverlist/server_list_model.h"

class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QTreeView;
class QTreeWidget;

namespace dovel::ui {

class CServerInfoDialog;
class CServerListSearchDialog;
class MessageSink;

// View 1 of the main window: the servers registered with the service's three
// channels, the figures of all channels and of the chosen one, sorting, a
// search, and the row actions (explore, favorites, server link, server status).
class CServerListDialog final : public QWidget {
  Q_OBJECT

 public:
  enum class RowAction { Explore, Favorite, CopyLink, ServerInfo };

  static constexpr const char* kShareServerNotStarted = "공유서버가 시작되지 않았습니다.";
  static constexpr const char* kRefreshingText = "서버목록을 받고 있습니다...";
  static constexpr const char* kOwnServerAddress = "127.0.0.1";

  // Works without a live core: empty commands leave their controls disabled.
  CServerListDialog(ServerListCommands commands, MessageSink& messages, QWidget* parent = nullptr);
  ~CServerListDialog() override;

  // New lists from the service: header, channel counts and the chosen channel's servers, sorted.
  void show_lists(const service::ServerLists& lists);
  // The service's news of how many users are online: the header's first figure.
  void set_online_users(uint32_t users);
  // Asks for new lists (the refresh button); the window shows that it waits until they come.
  void request_lists();
  bool refreshing() const { return refreshing_; }

  // The channel whose servers are shown (-1: none).
  void select_channel(int channel);
  int selected_channel() const { return channel_; }

  // An action on the selected row (nothing without one).
  void run_on_selected(RowAction action);
  // The server list's context menu (the caller owns it).
  QMenu* row_menu(QWidget* parent);
  // The search box, opened on demand and kept.
  CServerListSearchDialog* open_search();
  // "서버정보" of the selected row (deletes itself when closed); null without a row.
  CServerInfoDialog* open_server_info();

  ServerListModel& model() { return model_; }
  QLabel* header_line() const { return header_; }
  QLabel* channel_line() const { return channel_line_; }
  QTreeWidget* channel_list() const { return channels_; }
  QTreeView* server_list() const { return servers_; }
  QComboBox* sort_box() const { return sort_; }
  QPushButton* refresh_button() const { return refresh_; }
  QPushButton* search_button() const { return search_; }

 private:
  void show_channel(int channel);
  void show_channel_line();
  void show_channel_counts();
  void apply_sort_choice(int index);
  void on_cell_clicked(const QModelIndex& index);
  std::optional<int> selected_row() const;
  void run_on_row(RowAction action, int row);
  void explore(const ServerRowTarget& target);
  CServerInfoDialog* open_server_info_for(int row);
  bool available(RowAction action) const;

  ServerListCommands commands_;
  MessageSink& messages_;
  ServerListModel model_;
  service::ServerLists lists_;
  int channel_ = -1;
  bool channel_chosen_ = false;
  bool refreshing_ = false;
  QLabel* header_;
  QLabel* channel_line_;
  QLabel* refresh_state_;
  QTreeWidget* channels_;
  QTreeView* servers_;
  QComboBox* sort_;
  QPushButton* search_;
  QPushButton* refresh_;
  QPointer<CServerListSearchDialog> search_dialog_;
};

}  // namespace dovel::ui
