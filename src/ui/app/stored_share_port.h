#pragma once

#include <cstdint>

#include "platform/data_home.h"

namespace dovel::ui {

// The share port the start-up check will test, read from the settings store
// before the application has loaded its settings (the splash names it while
// the check runs), with the load's default and repair.
uint16_t stored_share_port(const platform::DataHome& home);

}  // namespace dovel::ui
