#pragma once

#include "settings/settings.h"
#include "ui/controls/message_sink.h"
#include "ui/settings/settings_page.h"
#include "ui/settings/settings_sheet_hooks.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace dovel::ui {

class ServerSubjectEdit;

// "일반": the server title, the introduction page, the number of uploads and the memo choice.
class CPropGeneral final : public SettingsPage {
  Q_OBJECT

 public:
  CPropGeneral(settings::Settings& settings, MessageSink& messages, const SettingsSheetHooks& hooks, QWidget* parent = nullptr);

  bool apply() override;

  ServerSubjectEdit* title_edit() const { return title_edit_; }
  QLineEdit* intro_url_edit() const { return intro_url_edit_; }
  QCheckBox* use_intro_url_box() const { return use_intro_url_box_; }
  QComboBox* upload_count_list() const { return upload_count_list_; }
  QCheckBox* allow_memo_box() const { return allow_memo_box_; }

 private:
  void on_upload_count_chosen(int row);
  void on_allow_memo_toggled(bool allow);
  void edit_intro_page();

  settings::Settings& settings_;
  MessageSink& messages_;
  const SettingsSheetHooks& hooks_;
  ServerSubjectEdit* title_edit_;
  QCheckBox* use_intro_url_box_;
  QLineEdit* intro_url_edit_;
  QComboBox* upload_count_list_;
  QCheckBox* allow_memo_box_;
};

}  // namespace dovel::ui
