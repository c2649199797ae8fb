#pragma once

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "server/upload_monitor.h"
#include "settings/window_values.h"

class QCheckBox;
class QComboBox;
class QMenu;
class QPushButton;
class QTreeWidget;

namespace dovel::ui {

class MessageSink;

// What the upload monitor's commands reach. A command without a handler is
// shown disabled.
struct UploadPaneCommands {
  // Ends a control connection (shut down and closed) or an upload (orderly close).
  std::function<bool(uint64_t peer_id)> disconnect_peer;
  std::function<bool(uint64_t upload_id)> close_upload;
  // Opens the user's server at the address and share port the user announced.
  std::function<void(const std::string& address, uint16_t port)> explore;
  std::function<void(const std::string& user_id)> chat;
  // Called once the user confirmed.
  std::function<void(const std::string& user_id)> block;
  // One message to every uploading user: their IDs joined with ";".
  std::function<void(const std::string& user_ids)> message_uploaders;
  // Where the speed limit's row is kept (none: not kept).
  settings::WindowValues* values = nullptr;
};

// The upload monitor pane of the status area: who is connected, what is being
// uploaded, the pause of new uploads and the upload speed limit.
class CServerStatusDialog final : public QWidget {
  Q_OBJECT

 public:
  enum class Command { Disconnect, Explore, Chat, Block, MessageUploaders };

  static constexpr int kRefreshMs = 2000;
  static constexpr const char* kBlockQuestion = "차단시키겠습니까?";
  static constexpr const char* kMessageAllText = "업로드중인 사용자 모두에게 메세지 보내기";

  // The speed limit's row is read from the commands' values now and written back when the pane goes.
  CServerStatusDialog(server::UploadMonitor& monitor, UploadPaneCommands commands, MessageSink& messages, QWidget* parent = nullptr);
  ~CServerStatusDialog() override;

  // Fills both lists from the monitor, as the timer does.
  void refresh();
  // Shows these rows; rows keep their place and selection by id.
  void show_rows(const std::vector<server::UploadRow>& uploads, const std::vector<server::PeerRow>& peers);
  // A context command on the selected row of the upload list or the connection list.
  void run_on_uploads(Command command);
  void run_on_peers(Command command);
  // The context menu of a list, as it would open (the caller owns it).
  QMenu* upload_menu(QWidget* parent);
  QMenu* peer_menu(QWidget* parent);

  QTreeWidget* upload_list() const { return uploads_; }
  QTreeWidget* peer_list() const { return peers_; }
  QCheckBox* pause_box() const { return pause_; }
  QComboBox* limit_box() const { return limit_; }
  QPushButton* message_all_button() const { return message_all_; }

 private:
  struct Target {
    uint64_t id = 0;
    std::string user_id;
    std::string address;
    uint16_t port = 0;
  };
  std::optional<Target> selected_upload() const;
  std::optional<Target> selected_peer() const;
  void run(Command command, const std::optional<Target>& target, bool upload);
  void message_all_uploaders();
  QMenu* context_menu(QWidget* parent, bool upload);
  bool available(Command command, bool upload) const;

  server::UploadMonitor& monitor_;
  UploadPaneCommands commands_;
  MessageSink& messages_;
  QTreeWidget* uploads_;
  QTreeWidget* peers_;
  QPushButton* message_all_;
  QCheckBox* pause_;
  QComboBox* limit_;
  QTimer timer_;
};

}  // namespace dovel::ui
