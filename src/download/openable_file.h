#pragma once

#include <filesystem>
#include <optional>

#include "download/download_item.h"

namespace dovel::download {

// The file "실행" opens for a row: a finished file in its target folder, or the
// temporary file of an unfinished media file (a preview). Nothing when there is
// no such file, it is empty, or its path would leave the download folder.
std::optional<std::filesystem::path> openable_file(const ItemSnapshot& item);

}  // namespace dovel::download
