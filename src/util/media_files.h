#pragma once

#include <set>
#include <string>
#include <string_view>

namespace dovel::util {

// The 28 lower-case extensions of video and audio files.
const std::set<std::string, std::less<>>& MediaExtensions();

// True when the extension after the last dot, lower-cased, is a media extension.
bool IsMediaFile(std::string_view name);

}  // namespace dovel::util
