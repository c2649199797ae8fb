#include "ui/mainframe/window_placement.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace dovel::ui {
namespace {

const QRect kScreen(0, 0, 1920, 1080);

struct PlacementCase {
  const char* profile;
  QRect geometry;
  bool centred;
  bool zoomed;
};

TEST(WindowPlacement, ReadsTheProfileWithItsDefaultsAndRepairs) {
  const PlacementCase cases[] = {
      {"", QRect(10, 10, 984, 700), true, false},
      {"[dovel]\nleft=100\ntop=50\nwidth=1200\nheight=800\n", QRect(100, 50, 1200, 800), false, false},
      {"[dovel]\nleft=-5\ntop=5000\nwidth=1000\nheight=700\n", QRect(10, 10, 1000, 700), false, false},
      {"[dovel]\nleft=-1\ntop=20\n", QRect(10, 20, 984, 700), true, false},
      {"[dovel]\nleft=100\ntop=100\nwidth=300\nheight=200\n", QRect(100, 100, 950, 650), false, false},
      {"[dovel]\nleft=100\ntop=100\nwidth=1200\nheight=800\nzoomed=1\n", QRect(100, 100, 984, 700), true, true},
  };
  for (const PlacementCase& each : cases) {
    SCOPED_TRACE(each.profile);
    dovel::test::TempFolder folder;
    const platform::ProfileIni profile(folder.write("dovel.ini", each.profile));
    const WindowPlacement placement = read_window_placement(profile, kScreen);
    EXPECT_EQ(placement.geometry, each.geometry);
    EXPECT_EQ(placement.centred, each.centred);
    EXPECT_EQ(placement.zoomed, each.zoomed);
  }
}

TEST(WindowPlacement, SavedPlacementComesBack) {
  dovel::test::TempFolder folder;
  platform::ProfileIni profile(folder / "dovel.ini");
  QWidget window;
  window.setMinimumSize(kMinimumWindowWidth, kMinimumWindowHeight);
  window.resize(1100, 760);
  window.move(40, 30);
  window.show();
  save_window_placement(profile, window);
  const WindowPlacement placement = read_window_placement(profile, kScreen);
  EXPECT_FALSE(placement.centred);
  EXPECT_FALSE(placement.zoomed);
  EXPECT_EQ(placement.geometry.size(), QSize(1100, 760));
  EXPECT_EQ(placement.geometry.topLeft(), window.frameGeometry().topLeft());
}

TEST(WindowPlacement, MaximisedWindowKeepsItsLastNormalRectangle) {
  dovel::test::TempFolder folder;
  platform::ProfileIni profile(folder.write("dovel.ini", "[dovel]\nleft=100\ntop=80\nwidth=1000\nheight=700\n"));
  QWidget window;
  window.showMaximized();
  save_window_placement(profile, window);
  EXPECT_EQ(profile.read_int("dovel", "zoomed", 0), 1);
  EXPECT_EQ(profile.read_int("dovel", "left", 0), 100);
}

}  // namespace
}  // namespace dovel::ui
