#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dovel::ui {

// Starts a program from an argument vector; true when it could be started.
using ProgramStarter = std::function<bool(const std::vector<std::string>& argv)>;

// The desktop's opener, started without a shell and not waited for.
ProgramStarter desktop_opener();

// Whether a page address may be handed to the opener: http, https or file, with
// no blanks or control characters that could split or bend it.
bool openable_page_address(std::string_view url);

// Opens a page in the user's browser through "xdg-open"; false for an address
// that is refused or an opener that could not be started.
bool OpenBrowser(const std::string& url, const ProgramStarter& starter = desktop_opener());

// Opens a local folder or file with the desktop's opener. Only absolute paths
// are handed over, so that nothing can be taken for one of the opener's options.
bool OpenLocalPath(const std::string& path, const ProgramStarter& starter = desktop_opener());

}  // namespace dovel::ui
