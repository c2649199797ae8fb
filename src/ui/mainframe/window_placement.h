#pragma once

#include <QRect>
#include <QWidget>

#include "platform/profile_ini.h"
#include "settings/setting_table.h"

namespace dovel::ui {

inline constexpr int kMinimumWindowWidth = 950;
inline constexpr int kMinimumWindowHeight = 650;
inline constexpr int kDefaultWindowWidth = settings::kWindowWidth.on_load;
inline constexpr int kDefaultWindowHeight = settings::kWindowHeight.on_load;

// Where the window goes at start, from the profile's "dovel" section.
struct WindowPlacement {
  QRect geometry;
  bool centred = false;  // no position stored, or the default -1: centre the window
  bool zoomed = false;   // maximise it once shown
};

// A stored position below 0 or beyond the screen becomes 10; the size is
// never below the window's minimum.
WindowPlacement read_window_placement(const platform::ProfileIni& profile, const QRect& screen);

// "zoomed" = 1 when maximised; otherwise, unless minimised, "zoomed" = 0 and the
// window's rectangle.
void save_window_placement(platform::ProfileIni& profile, const QWidget& window);

}  // namespace dovel::ui
