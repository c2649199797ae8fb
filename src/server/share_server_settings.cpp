#include "server/share_server_settings.h"

#include <utility>

namespace dovel::server {

ServedChoices ShareServerSettings::values() const {
  return settings_.read([](const settings::StoredSettings& stored) {
    return ServedChoices{stored.share_port,    stored.max_upload, stored.max_for_folder_down, stored.allow_memo, stored.ultra_turbo,
                          stored.use_intro_url, stored.intro_url,  stored.folder_pass,         stored.down_path};
  });
}

std::vector<settings::SharedFolder> ShareServerSettings::shared_folders() const { return settings_.shared_folders(); }

share::ServedTree ShareServerSettings::served_tree() const {
  // Copied under the settings lock, resolved on the disk after it.
  auto [folders, down_path] = settings_.read([](const settings::StoredSettings& stored) { return std::pair(stored.shared_folders, stored.down_path); });
  return share::ServedTree(std::move(folders), down_path);
}

}  // namespace dovel::server
