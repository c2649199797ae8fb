#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/profile_ini.h"
#include "settings/setting_rows.h"
#include "settings/settings_registry.h"

namespace dovel::settings {

// The values the windows read and write on their own, by their rows of the
// settings table. A missing value reads as the row's default on load, a number
// outside its range as the row's repair.
class WindowValues {
 public:
  virtual ~WindowValues() = default;
  virtual bool read(const FlagSetting& row) const = 0;
  virtual uint32_t read(const NumberSetting& row) const = 0;
  virtual std::string read(const TextSetting& row) const = 0;
  virtual int read(const ProfileSetting& row) const = 0;
  virtual void write(const FlagSetting& row, bool on) = 0;
  virtual void write(const NumberSetting& row, uint32_t value) = 0;
  virtual void write(const TextSetting& row, std::string_view text) = 0;
  virtual void write(const ProfileSetting& row, int value) = 0;
};

// The window values of the settings key and the profile file.
class StoredWindowValues final : public WindowValues {
 public:
  StoredWindowValues(SettingsRegistry& registry, platform::ProfileIni& profile) : registry_(registry), profile_(profile) {}

  bool read(const FlagSetting& row) const override { return registry_.read(row); }
  uint32_t read(const NumberSetting& row) const override { return registry_.read(row); }
  std::string read(const TextSetting& row) const override { return registry_.read(row); }
  int read(const ProfileSetting& row) const override;
  // A store that cannot be written keeps its old value; the window goes on with its new one.
  void write(const FlagSetting& row, bool on) override { registry_.write(row, on); }
  void write(const NumberSetting& row, uint32_t value) override { registry_.write(row, value); }
  void write(const TextSetting& row, std::string_view text) override { registry_.write(row, text); }
  void write(const ProfileSetting& row, int value) override;

 private:
  SettingsRegistry& registry_;
  platform::ProfileIni& profile_;
};

}  // namespace dovel::settings
