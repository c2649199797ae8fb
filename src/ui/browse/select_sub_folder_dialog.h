#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace dovel::ui {

class MessageSink;

// Asks for the sub-folder of the download folder that the chosen files go
// into. The preview shows where they will land; a name the check refuses is
// explained and the dialog stays open.
class CSelectSubFolderDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit CSelectSubFolderDialog(MessageSink& messages, QWidget* parent = nullptr);

  // The name typed, as it will be used.
  QString sub_folder() const;

  QLineEdit* name_edit() const { return name_; }
  QLabel* preview() const { return preview_; }
  QPushButton* ok_button() const { return ok_; }

  void accept() override;

 private:
  void show_preview();

  MessageSink& messages_;
  QLineEdit* name_;
  QLabel* preview_;
  QPushButton* ok_;
};

// Asks the user for a sub-folder; nothing when the user cancels.
using SubFolderPrompt = std::function<std::optional<QString>(QWidget* parent)>;

// The modal CSelectSubFolderDialog.
SubFolderPrompt sub_folder_dialog_prompt(MessageSink& messages);

}  // namespace dovel::ui
