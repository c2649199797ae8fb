#include "ui/mainframe/window_placement.h"

#include <algorithm>

#include "settings/profile_values.h"

namespace dovel::ui {
namespace {

constexpr int kOffScreenPosition = 10;

int on_screen(int value, int screen_size) { return value < 0 || value > screen_size ? kOffScreenPosition : value; }

}  // namespace

WindowPlacement read_window_placement(const platform::ProfileIni& profile, const QRect& screen) {
  WindowPlacement placement;
  const int stored_left = settings::read_profile(profile, settings::kWindowLeft);
  placement.centred = stored_left == settings::kWindowLeft.on_load;
  const int left = on_screen(stored_left, screen.width());
  const int top = on_screen(settings::read_profile(profile, settings::kWindowTop), screen.height());
  const int width = std::max(settings::read_profile(profile, settings::kWindowWidth), kMinimumWindowWidth);
  const int height = std::max(settings::read_profile(profile, settings::kWindowHeight), kMinimumWindowHeight);
  placement.zoomed = settings::read_profile(profile, settings::kWindowZoomed) != 0;
  placement.geometry = placement.zoomed ? QRect(left, top, kDefaultWindowWidth, kDefaultWindowHeight) : QRect(left, top, width, height);
  if (placement.zoomed) placement.centred = true;
  return placement;
}

void save_window_placement(platform::ProfileIni& profile, const QWidget& window) {
  if (window.isMaximized()) {
    settings::write_profile(profile, settings::kWindowZoomed, 1);
    return;
  }
  if (window.isMinimized()) return;
  const QRect frame = window.frameGeometry();
  settings::write_profile(profile, settings::kWindowZoomed, 0);
  settings::write_profile(profile, settings::kWindowLeft, frame.left());
  settings::write_profile(profile, settings::kWindowTop, frame.top());
  settings::write_profile(profile, settings::kWindowWidth, window.width());
  settings::write_profile(profile, settings::kWindowHeight, window.height());
}

}  // namespace dovel::ui
