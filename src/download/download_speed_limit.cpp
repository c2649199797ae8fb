#include "download/download_speed_limit.h"

#include <array>

#include "settings/settings_registry.h"

namespace dovel::download {
namespace {

constexpr std::array<uint32_t, 10> kDownloadLimitRows = {0x40000000u, 3000u * 1024, 2000u * 1024, 1000u * 1024, 700u * 1024,
                                                          500u * 1024,  300u * 1024,  200u * 1024,  100u * 1024,  50u * 1024};

}  // namespace

uint32_t download_limit_of_row(uint32_t row) { return kDownloadLimitRows[row < kDownloadLimitRows.size() ? row : 0]; }

void load_download_limit_row(settings::Settings& settings) {
  settings.download_speed_limit = download_limit_of_row(settings.registry().read_dword(settings::kSettingSection, "LimitDownloadSpeed", 0));
}

}  // namespace dovel::download
