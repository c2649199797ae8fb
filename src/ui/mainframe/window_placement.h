#pragma once

#include <QRect>
#include <QWidget>

#include "platform/profile_ini.h"

namespace dovel::ui {

inline constexpr int kMinimumWindowWidth = 950;
inline constexpr int kMinimumWindowHeight = 650;
inline constexpr int kDefaultWindowWidth = 984;
inline constexpr int kDefaultWindowHeight = 700;

// Where the window goes at start, from the profile's "dovel" section.
struct WindowPlacement {
  QRect geometry;
  bool centred = false;  // no position stored: centre the window
  bool zoomed = false;   // maximise it once shown
};

// A stored position below 0 or beyond the screen becomes 10; the size is
// never below the window's minimum.
WindowPlacement read_window_placement(const platform::ProfileIni& profile, const QRect& screen);

// "zoomed" = 1 when maximised; otherwise, unless minimised, "zoomed" = 0 and the
// window's rectangle.
void save_window_placement(platform::ProfileIni& profile, const QWidget& window);

}  // namespace dovel::ui
