#include "settings/live_settings.h"

#include <string>

namespace dovel::settings {

bool storable_in_folder_list(const settings::SharedFolder& folder) {
  return folder.name.find(';') == std::string::npos && folder.path.find(';') == std::string::npos;
}

StoredSettings LiveSettings::values() const {
  std::lock_guard guard(lock_);
  return values_;
}

bool LiveSettings::update(const std::function<void(StoredSettings&)>& change) {
  std::lock_guard guard(lock_);
  StoredSettings changed = values_;
  change(changed);
  for (const settings::SharedFolder& folder : changed.shared_folders) {
    if (!storable_in_folder_list(folder)) return false;
  }
  values_ = std::move(changed);
  return true;
}

std::vector<settings::SharedFolder> LiveSettings::shared_folders() const {
  std::lock_guard guard(lock_);
  return values_.shared_folders;
}

bool LiveSettings::set_shared_folders(std::vector<settings::SharedFolder> folders) {
  return update([&folders](StoredSettings& values) { values.shared_folders = std::move(folders); });
}

}  // namespace dovel::settings
