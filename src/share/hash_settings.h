#pragma once

#include <string>
#include <vector>

#include "settings/live_settings.h"
#include "settings/shared_folder.h"

namespace dovel::share {

// What hashing reads of the settings, live: a run walks the folders shared at
// its start, and a peer's request for one hash looks at the folders shared now.
class HashSettings {
 public:
  explicit HashSettings(const settings::LiveSettings& settings) : settings_(settings) {}

  std::vector<settings::SharedFolder> shared_folders() const { return settings_.shared_folders(); }
  // Its partial downloads are never recorded as shared.
  std::string download_folder() const {
    return settings_.read([](const settings::StoredSettings& stored) { return stored.down_path; });
  }
  // False while the share port is unreachable: nothing is hashed then.
  bool server_usable() const { return settings_.server_usable; }

 private:
  const settings::LiveSettings& settings_;
};

}  // namespace dovel::share
