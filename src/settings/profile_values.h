#pragma once

#include "platform/profile_ini.h"
#include "settings/setting_rows.h"

namespace dovel::settings {

// A value of the profile file by its row of the settings table: the row's
// default when missing, its repair when out of range.
int read_profile(const platform::ProfileIni& profile, const ProfileSetting& row);

// Writes the value under the row's name, and under its second name when it has one.
bool write_profile(platform::ProfileIni& profile, const ProfileSetting& row, int value);

}  // namespace dovel::settings
