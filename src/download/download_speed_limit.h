#pragma once

#include <cstdint>

#include "download/download_settings.h"

namespace dovel::download {

// The rows of the download-speed limit box, in bytes per second (row 0: none).
uint32_t download_limit_of_row(uint32_t row);

// Applies a row of the box (a row outside it: none) to the throttle, as the
// download list does when it opens and whenever the row is chosen.
void apply_download_limit_row(DownloadSettings& settings, uint32_t row);

}  // namespace dovel::download
