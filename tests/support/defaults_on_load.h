#pragma once

#include <variant>

#include "settings/live_settings.h"
#include "settings/setting_table.h"

namespace dovel::test {

// Gives the live settings the values a data home without any stored settings
// loads with, as Load would, except that the texts with a computed default
// (the title, the download folder) and the shared folders stay empty.
inline void load_defaults(settings::LiveSettings& live) {
  struct OnLoad {
    settings::StoredSettings& values;
    void operator()(const settings::FlagSetting* row) const { values.*row->member = row->on_load; }
    void operator()(const settings::NumberSetting* row) const { values.*row->member = row->on_load; }
    void operator()(const settings::TextSetting*) const {}
  };
  live.update([](settings::StoredSettings& values) {
    for (const settings::RegistryRow& row : settings::kLoadedTogether) std::visit(OnLoad{values}, row);
  });
}

}  // namespace dovel::test
