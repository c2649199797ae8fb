#include "settings/profile_values.h"

namespace dovel::settings {

int read_profile(const platform::ProfileIni& profile, const ProfileSetting& row) {
  return row.from_store(profile.find_int(row.section, row.name));
}

bool write_profile(platform::ProfileIni& profile, const ProfileSetting& row, int value) {
  bool written = true;
  if (!row.also_written_as.empty()) written = profile.write_int(row.section, row.also_written_as, value);
  return profile.write_int(row.section, row.name, value) && written;
}

}  // namespace dovel::settings
