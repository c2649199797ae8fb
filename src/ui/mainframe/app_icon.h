#pragma once

#include <QIcon>

namespace dovel::ui {

// The program's icon (window and tray), drawn at run time.
QIcon dovel_icon();

}  // namespace dovel::ui
