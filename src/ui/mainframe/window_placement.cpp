#include "ui/mainframe/window_placement.h"

#include <algorithm>

namespace dovel::ui {
namespace {

constexpr const char* kSection = "dovel";
constexpr int kOffScreenPosition = 10;

int on_screen(int value, int screen_size) { return value < 0 || value > screen_size ? kOffScreenPosition : value; }

}  // namespace

WindowPlacement read_window_placement(const platform::ProfileIni& profile, const QRect& screen) {
  WindowPlacement placement;
  placement.centred = profile.read_string(kSection, "left", "").empty();
  const int left = on_screen(profile.read_int(kSection, "left", -1), screen.width());
  const int top = on_screen(profile.read_int(kSection, "top", -1), screen.height());
  const int width = std::max(profile.read_int(kSection, "width", kDefaultWindowWidth), kMinimumWindowWidth);
  const int height = std::max(profile.read_int(kSection, "height", kDefaultWindowHeight), kMinimumWindowHeight);
  placement.zoomed = profile.read_int(kSection, "zoomed", 0) != 0;
  placement.geometry = placement.zoomed ? QRect(left, top, kDefaultWindowWidth, kDefaultWindowHeight) : QRect(left, top, width, height);
  if (placement.zoomed) placement.centred = true;
  return placement;
}

void save_window_placement(platform::ProfileIni& profile, const QWidget& window) {
  if (window.isMaximized()) {
    profile.write_int(kSection, "zoomed", 1);
    return;
  }
  if (window.isMinimized()) return;
  const QRect frame = window.frameGeometry();
  profile.write_int(kSection, "zoomed", 0);
  profile.write_int(kSection, "left", frame.left());
  profile.write_int(kSection, "top", frame.top());
  profile.write_int(kSection, "width", window.width());
  profile.write_int(kSection, "height", window.height());
}

}  // namespace dovel::ui
