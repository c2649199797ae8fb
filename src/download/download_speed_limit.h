#pragma once

#include <cstdint>

#include "settings/settings.h"

namespace dovel::download {

// The rows of the download-speed limit box, in bytes per second (row 0: none).
uint32_t download_limit_of_row(uint32_t row);

// Applies the row stored as "LimitDownloadSpeed" (a row outside the box: none)
// to the throttle, as the download list does when it opens.
void load_download_limit_row(settings::Settings& settings);

}  // namespace dovel::download
