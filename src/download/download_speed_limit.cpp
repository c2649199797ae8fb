#include "download/download_speed_limit.h"

#include <array>

#include "settings/setting_table.h"

namespace dovel::download {
namespace {

constexpr std::array<uint32_t, 10> kDownloadLimitRows = {0x40000000u, 3000u * 1024, 2000u * 1024, 1000u * 1024, 700u * 1024,
                                                          500u * 1024,  300u * 1024,  200u * 1024,  100u * 1024,  50u * 1024};
static_assert(settings::kLimitDownloadSpeed.range->count() == static_cast<int>(kDownloadLimitRows.size()));

}  // namespace

uint32_t download_limit_of_row(uint32_t row) { return kDownloadLimitRows[settings::kLimitDownloadSpeed.range->repair(row)]; }

void apply_download_limit_row(DownloadSettings& settings, uint32_t row) { settings.set_download_speed_limit(download_limit_of_row(row)); }

}  // namespace dovel::download
