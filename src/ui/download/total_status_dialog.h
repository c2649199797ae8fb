#pragma once

#include <QWidget>

#include "ui/download/download_commands.h"

class QStackedWidget;
class QToolButton;

namespace dovel::ui {

class CDownStatusDialog;
class MessageSink;

// The transfers view: a button bar over either the download window or the
// upload monitor (one of them at a time), with the log and download folders.
class CTotalStatusDialog final : public QWidget {
  Q_OBJECT

 public:
  enum class Child { Downloads, Uploads };

  static constexpr int kButtonBarHeight = 25;
  static constexpr const char* kClearLogsQuestion = "내역을 모두 삭제하시겠습니까?";

  // `upload_monitor` (may be null: the uploads toggle is then disabled) becomes a child of the view.
  CTotalStatusDialog(DownloadCommands commands, MessageSink& messages, QWidget* upload_monitor, QWidget* parent = nullptr);

  // Shows the downloads or the uploads (the notifier's click asks for one).
  void show_child(Child child);
  Child shown_child() const { return shown_; }

  // The buttons' commands.
  void open_log_folder();
  // Asks first; on yes the log files go.
  void clear_logs();
  void open_download_folder();

  CDownStatusDialog* download_window() const { return downloads_; }
  QWidget* upload_monitor() const { return uploads_; }
  QToolButton* downloads_toggle() const { return downloads_toggle_; }
  QToolButton* uploads_toggle() const { return uploads_toggle_; }
  QToolButton* open_logs_button() const { return open_logs_; }
  QToolButton* clear_logs_button() const { return clear_logs_; }
  QToolButton* download_folder_button() const { return download_folder_; }

 private:
  QWidget* build_button_bar();

  DownloadCommands commands_;
  MessageSink& messages_;
  CDownStatusDialog* downloads_;
  QWidget* uploads_;
  QStackedWidget* children_;
  QToolButton* downloads_toggle_ = nullptr;
  QToolButton* uploads_toggle_ = nullptr;
  QToolButton* open_logs_ = nullptr;
  QToolButton* clear_logs_ = nullptr;
  QToolButton* download_folder_ = nullptr;
  Child shown_ = Child::Downloads;
};

}  // namespace dovel::ui
