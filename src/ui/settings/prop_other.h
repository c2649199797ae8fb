#pragma once

#include "settings/settings.h"
#include "ui/controls/message_sink.h"
#include "ui/settings/settings_page.h"
#include "ui/settings/settings_sheet_hooks.h"

class QCheckBox;
class QComboBox;

namespace dovel::ui {

// "기타": hashing, downloads, notifications, the server schedule and starting with the desktop.
class CPropOther final : public SettingsPage {
  Q_OBJECT

 public:
  CPropOther(settings::Settings& settings, MessageSink& messages, const SettingsSheetHooks& hooks, QWidget* parent = nullptr);

  bool apply() override;

  QCheckBox* auto_hash_box() const { return auto_hash_box_; }
  QCheckBox* use_multi_down_box() const { return use_multi_down_box_; }
  QCheckBox* auto_retry_box() const { return auto_retry_box_; }
  QCheckBox* ultra_turbo_box() const { return ultra_turbo_box_; }
  QCheckBox* notify_window_box() const { return notify_window_box_; }
  QCheckBox* server_reserve_box() const { return server_reserve_box_; }
  QCheckBox* server_reserve_repeat_box() const { return server_reserve_repeat_box_; }
  QCheckBox* autostart_box() const { return autostart_box_; }
  QComboBox* downloads_list() const { return downloads_list_; }
  QComboBox* folder_down_list() const { return folder_down_list_; }
  QComboBox* reserve_start_list() const { return reserve_start_list_; }
  QComboBox* reserve_end_list() const { return reserve_end_list_; }

 private:
  void follow_server_reserve(bool on);
  void apply_autostart();

  settings::Settings& settings_;
  MessageSink& messages_;
  const SettingsSheetHooks& hooks_;
  bool allow_memo_at_open_;
  QCheckBox* auto_hash_box_;
  QCheckBox* use_multi_down_box_;
  QCheckBox* auto_retry_box_;
  QCheckBox* ultra_turbo_box_;
  QCheckBox* notify_window_box_;
  QCheckBox* server_reserve_box_;
  QCheckBox* server_reserve_repeat_box_;
  QCheckBox* autostart_box_;
  QComboBox* downloads_list_;
  QComboBox* folder_down_list_;
  QComboBox* reserve_start_list_;
  QComboBox* reserve_end_list_;
};

}  // namespace dovel::ui
