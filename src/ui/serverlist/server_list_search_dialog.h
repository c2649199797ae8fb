#pragma once

#include <QDialog>

#include "ui/serverlist/server_list_commands.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace dovel::ui {

class MessageSink;
class ServerListModel;

// Finds servers in the shown list by a piece of their title or (for
// privileged users) of their owner's ID, one hit after the other.
class CServerListSearchDialog final : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { None, OwnerId, Title };

  static constexpr const char* kEmptyTextMessage = "검색어를 입력하세요.";
  static constexpr const char* kNoModeMessage = "아이디나 서버제목중 하나를 골라 주세요.";

  // `list` shows `model`; both outlive the dialog.
  CServerListSearchDialog(ServerListModel& model, QTreeView& list, const ServerListCommands& commands, MessageSink& messages,
                          QWidget* parent = nullptr);

  Mode mode() const;
  // From the top of the list.
  void find_first();
  // After the last hit; disabled once no hit follows.
  void find_next();

  QLineEdit* text_box() const { return text_; }
  QRadioButton* id_button() const { return by_id_; }
  QRadioButton* title_button() const { return by_title_; }
  QPushButton* next_button() const { return next_; }
  QLabel* result_label() const { return result_; }
  int last_hit() const { return last_hit_; }

 private:
  void search_from(int row);
  bool matches(int row, const QString& text, Mode mode) const;
  int hit_from(int row, const QString& text, Mode mode) const;
  void restart();

  ServerListModel& model_;
  QTreeView& list_;
  ServerListCommands commands_;
  MessageSink& messages_;
  QLineEdit* text_;
  QRadioButton* by_id_;
  QRadioButton* by_title_;
  QPushButton* find_;
  QPushButton* next_;
  QLabel* result_;
  int last_hit_ = -1;
};

}  // namespace dovel::ui
