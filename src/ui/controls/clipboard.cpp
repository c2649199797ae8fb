#include "ui/controls/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/cp949.h"

namespace dovel::ui {

size_t clipboard_bytes(std::string_view text) {
  std::optional<std::string> cp949 = platform::utf8_to_cp949(text);
  return cp949 ? cp949->size() : text.size();
}

bool CopyToClipboard(const std::string& text) {
  if (clipboard_bytes(text) >= kClipboardLimitBytes) return false;
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  clipboard->setText(QString::fromStdString(text));
  return true;
}

}  // namespace dovel::ui
