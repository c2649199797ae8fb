#pragma once

#include <QWidget>

namespace dovel::ui {

// The five views of the main window, shown one at a time.
inline constexpr int kViewHome = 0;
inline constexpr int kViewServers = 1;
inline constexpr int kViewSearchResults = 2;
inline constexpr int kViewBrowse = 3;
inline constexpr int kViewTransferLists = 4;
inline constexpr int kViewCount = 5;

// View 0 until the home page is built.
class HomeView final : public QWidget {
  Q_OBJECT
 public:
  explicit HomeView(QWidget* parent = nullptr);
};

}  // namespace dovel::ui
