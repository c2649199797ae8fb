#include "browse/browse_settings.h"

#include "settings/setting_table.h"

namespace dovel::browse {

BrowseChoices BrowseSettings::values() const {
  return settings_.read([](const settings::StoredSettings& stored) { return BrowseChoices{stored.share_port, stored.folder_pass}; });
}

bool BrowseSettings::intro_without_scripts() const { return registry_.read(settings::kIntroNoScript); }

bool BrowseSettings::move_to_download_tab() const { return registry_.read(settings::kExploreAutoMoveDownload); }

void BrowseSettings::store_move_to_download_tab(bool move) { registry_.write(settings::kExploreAutoMoveDownload, move); }

std::string BrowseSettings::address_history() const { return registry_.read(settings::kUserList); }

bool BrowseSettings::store_address_history(std::string_view stored_text) { return registry_.write(settings::kUserList, stored_text); }

}  // namespace dovel::browse
