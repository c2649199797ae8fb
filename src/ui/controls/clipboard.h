#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dovel::ui {

// Texts of this many bytes or more never reach the clipboard.
inline constexpr size_t kClipboardLimitBytes = 10240;

// The bytes the text takes in the program's clipboard form (CP949, or UTF-8
// for a text CP949 cannot write).
size_t clipboard_bytes(std::string_view text);

// Puts a text (links, names) on the desktop's clipboard; false, and the
// clipboard untouched, for a text at or over the limit.
bool CopyToClipboard(const std::string& text);

}  // namespace dovel::ui
