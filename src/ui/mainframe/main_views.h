#pragma once

#include <QWidget>

#include "mainframe/hub_front.h"

namespace dovel::ui {

// The five views of the main window, shown one at a time; the hub names the
// ones it switches to.
inline constexpr int kViewHome = 0;
inline constexpr int kViewServers = mainframe::kViewServerList;
inline constexpr int kViewSearchResults = mainframe::kViewSearch;
inline constexpr int kViewBrowse = mainframe::kViewBrowse;
inline constexpr int kViewTransferLists = mainframe::kViewTransfers;
inline constexpr int kViewCount = 5;

// View 0 until the home page is built.
class HomeView final : public QWidget {
  Q_OBJECT
 public:
  explicit HomeView(QWidget* parent = nullptr);
};

}  // namespace dovel::ui
