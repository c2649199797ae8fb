#pragma once

#include <vector>

#include "settings/settings.h"
#include "settings/shared_folder.h"
#include "share/shared_folder_move.h"
#include "ui/controls/message_sink.h"
#include "ui/settings/settings_page.h"
#include "ui/settings/settings_sheet_hooks.h"

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace dovel::ui {

// "폴더": the download folder, the list of shared folders and the secret-folder password.
class CPropFolder final : public SettingsPage {
  Q_OBJECT

 public:
  CPropFolder(settings::Settings& settings, MessageSink& messages, const SettingsSheetHooks& hooks, QWidget* parent = nullptr);

  bool apply() override;

  // The rows in display order, as the list shows them.
  std::vector<settings::SharedFolder> rows() const;
  // Whether the list's content changed since the page opened (a new hashing run is due).
  bool list_changed() const { return list_changed_; }

  void add_folder();
  void modify_folder();
  void delete_folders();
  void delete_all_but_first();
  void open_folder();
  void move_selected(share::MoveDirection direction);

  QLineEdit* down_path_edit() const { return down_path_edit_; }
  QLineEdit* password_edit() const { return password_edit_; }
  QTreeWidget* folder_list() const { return folder_list_; }

 private:
  void fill_rows(const std::vector<settings::SharedFolder>& rows);
  void set_row(QTreeWidgetItem* item, const settings::SharedFolder& folder);
  settings::SharedFolder row_at(int index) const;
  int current_row() const;
  void choose_down_path();
  void toggle_password_shown();

  settings::Settings& settings_;
  MessageSink& messages_;
  const SettingsSheetHooks& hooks_;
  bool list_changed_ = false;
  QLineEdit* down_path_edit_;
  QTreeWidget* folder_list_;
  QLineEdit* password_edit_;
  QPushButton* show_password_button_;
};

}  // namespace dovel::ui
