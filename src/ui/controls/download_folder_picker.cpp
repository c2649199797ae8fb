#include "ui/controls/download_folder_picker.h"

#include <QFileDialog>

#include <filesystem>
#include <mutex>
#include <system_error>

#include "settings/settings.h"
#include "ui/controls/message_sink.h"
#include "util/last_error.h"

namespace dovel::ui {

FolderChooser folder_dialog_chooser() {
  return [](QWidget* parent, const QString& title, const QString& start) -> std::optional<QString> {
    QString chosen = QFileDialog::getExistingDirectory(parent, title, start);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
  };
}

bool ChooseDownloadFolder(settings::Settings& settings, MessageSink& messages, QWidget* parent, const FolderChooser& chooser) {
  const std::string previous = settings.values().down_path;
  std::optional<QString> chosen = chooser(parent, QString::fromUtf8(kDownloadFolderTitle), QString::fromStdString(previous));
  if (!chosen || chosen->isEmpty()) return false;
  const std::string folder = chosen->toStdString();
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    messages.inform(parent, QString::fromUtf8(kMissingFolderText));
    return false;
  }
  bool valid = false;
  std::string refusal;
  {
    // No other thread sees the new folder before it passed the check.
    std::lock_guard guard(settings.settings_lock());
    settings.update([&](settings::StoredSettings& values) { values.down_path = folder; });
    valid = settings.check_share_settings();
    if (!valid) {
      refusal = util::LastErrorText();
      settings.update([&](settings::StoredSettings& values) { values.down_path = previous; });
    }
  }
  if (!valid) {
    messages.inform(parent, QString::fromStdString(refusal));
    return false;
  }
  settings.Save();
  return true;
}

}  // namespace dovel::ui
