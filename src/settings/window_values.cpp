#include "settings/window_values.h"

#include "settings/profile_values.h"

namespace dovel::settings {

int StoredWindowValues::read(const ProfileSetting& row) const { return read_profile(profile_, row); }

void StoredWindowValues::write(const ProfileSetting& row, int value) { write_profile(profile_, row, value); }

}  // namespace dovel::settings
