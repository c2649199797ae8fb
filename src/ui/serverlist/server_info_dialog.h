#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

#include "ui/serverlist/server_list_commands.h"

class QLabel;
class QThread;

namespace dovel::ui {

// "서버정보": a listed server's own account of who runs it and how busy it
// is, asked of the server itself off the GUI thread as soon as the window opens.
class CServerInfoDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kTitle = "서버정보";
  static constexpr const char* kAskingText = "서버정보를 가져오는 중입니다...";
  static constexpr const char* kFailureText = "서버정보를 가져올 수 없습니다.";

  CServerInfoDialog(std::string address, uint16_t port, ServerInfoQuery query, QWidget* parent = nullptr);
  ~CServerInfoDialog() override;

  // Whether the answer (or the failure) is in.
  bool settled() const { return settled_; }
  QLabel* id_value() const { return id_; }
  QLabel* transfers_value() const { return transfers_; }
  QLabel* speed_value() const { return speed_; }
  QLabel* status_line() const { return status_; }

 signals:
  void settled_changed();

 private:
  void show_answer(const std::optional<browse::ServerInfo>& info);

  QLabel* id_;
  QLabel* transfers_;
  QLabel* speed_;
  QLabel* status_;
  QThread* worker_ = nullptr;
  bool settled_ = false;
};

}  // namespace dovel::ui
