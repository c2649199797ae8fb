#pragma once

#include <QDialog>

#include <vector>

#include "settings/shared_folder.h"
#include "share/shared_folder_rules.h"
#include "ui/controls/message_sink.h"
#include "ui/settings/settings_sheet_hooks.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace dovel::ui {

// "Dovel - 공유폴더설정": one shared folder's name, folder and access flags. In
// add mode the entry must differ from every row of the list in name and folder.
class CShareFolderDialog final : public QDialog {
  Q_OBJECT

 public:
  CShareFolderDialog(MessageSink& messages, FolderPicker pick_folder, share::EntryMode mode, std::vector<settings::SharedFolder> rows,
                     const settings::SharedFolder& initial, QWidget* parent = nullptr);

  // The entry as the controls describe it; what the caller takes after OK.
  settings::SharedFolder entry() const;

  QLineEdit* name_edit() const { return name_edit_; }
  QLineEdit* folder_edit() const { return folder_edit_; }
  QCheckBox* adult_box() const { return adult_box_; }
  QCheckBox* friend_box() const { return friend_box_; }
  QCheckBox* secret_box() const { return secret_box_; }
  QPushButton* choose_folder_button() const { return choose_folder_button_; }
  QPushButton* agree_button() const { return agree_button_; }

 private:
  void choose_folder();
  void on_adult_toggled(bool on);
  void on_friend_toggled(bool on);
  void on_secret_toggled(bool on);
  void agree();

  MessageSink& messages_;
  FolderPicker pick_folder_;
  share::EntryMode mode_;
  std::vector<settings::SharedFolder> rows_;
  QLineEdit* name_edit_;
  QLineEdit* folder_edit_;
  QCheckBox* read_box_;
  QCheckBox* write_box_;
  QCheckBox* adult_box_;
  QCheckBox* friend_box_;
  QCheckBox* secret_box_;
  QPushButton* choose_folder_button_;
  QPushButton* agree_button_;
};

}  // namespace dovel::ui
