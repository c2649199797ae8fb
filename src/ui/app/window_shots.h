#pragma once

#include "ui/app/desktop_views.h"
#include "ui/app/desktop_windows.h"
#include "ui/app/screenshot_run.h"
#include "ui/mainframe/main_frame_window.h"

namespace dovel::app {
class CDovelApp;
}

namespace dovel::ui {

// Adds the pictures of the client's other windows to a screenshot run: the
// splash, the point window, each settings page, the share dialog over the first
// shared folder, the login window with the stored ID, the upload monitor once
// an upload runs, and the views in use: the server list, a search, a browsed
// share and running downloads. Everything given outlives the run.
void add_window_shots(ScreenshotRun& run, CMainFrameWindow& window, DesktopWindows& windows, DesktopViews& views,
                      app::CDovelApp& application);

}  // namespace dovel::ui
