#pragma once

#include "core/message_loop.h"
#include "mainframe/status_log.h"
#include "ui/mainframe/window_hooks.h"

namespace dovel::app {
class CDovelApp;
}  // namespace dovel::app

namespace dovel::ui {

// What the main window reads of a running application and asks of it. The
// application, the status log and the loop outlive the window.
WindowCore make_window_core(app::CDovelApp& application, mainframe::StatusLog& status_log, core::MessageLoop& loop);

}  // namespace dovel::ui
