#include "settings/stored_settings.h"

#include <variant>

#include "settings/setting_table.h"

namespace dovel::settings {
namespace {

// Puts one row's initial value into its member; texts start empty.
struct InitialValue {
  StoredSettings& values;
  void operator()(const FlagSetting* row) const { values.*row->member = row->initial; }
  void operator()(const NumberSetting* row) const { values.*row->member = row->initial; }
  void operator()(const TextSetting*) const {}
};

}  // namespace

StoredSettings::StoredSettings() {
  for (const RegistryRow& row : kLoadedTogether) std::visit(InitialValue{*this}, row);
}

}  // namespace dovel::settings
