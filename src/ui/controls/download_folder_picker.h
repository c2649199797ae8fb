#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace dovel::settings {
class Settings;
}

namespace dovel::ui {

class MessageSink;

// Asks the user for a folder: the window's title and the folder to start in;
// nothing when the user cancels.
using FolderChooser = std::function<std::optional<QString>(QWidget* parent, const QString& title, const QString& start)>;

// The desktop's folder browser.
FolderChooser folder_dialog_chooser();

inline constexpr const char* kDownloadFolderTitle = "다운로드할 폴더를 선택하세요.";
inline constexpr const char* kMissingFolderText = "선택한 폴더가 존재하지 않습니다.";

// Lets the user pick the download folder, starting at the current one. A folder
// that passes the share-settings check becomes the download folder and is
// saved; otherwise the check's message is shown and the old folder stays.
// True when the download folder changed.
bool ChooseDownloadFolder(settings::Settings& settings, MessageSink& messages, QWidget* parent = nullptr,
                          const FolderChooser& chooser = folder_dialog_chooser());

}  // namespace dovel::ui
