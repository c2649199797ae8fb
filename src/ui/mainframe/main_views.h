#pragma once

#include <QLabel>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "browse/browser_snapshot.h"
#include "download/download_manager.h"
#include "mainframe/main_frame.h"
#include "search/result_tabs.h"
#include "service/server_directory.h"

namespace dovel::ui {

// The five views of the main window, shown one at a time. Until their own
// windows are built, views 1 to 4 show their part's state in plain lists, and
// view 0 (the home page) a placeholder.
inline constexpr int kViewHome = 0;
inline constexpr int kViewServers = 1;
inline constexpr int kViewSearchResults = 2;
inline constexpr int kViewBrowse = 3;
inline constexpr int kViewTransferLists = 4;
inline constexpr int kViewCount = 5;

// Puts `rows` into `list`, changing the items in place so that the selection
// and the scroll position survive a refresh.
void fill_rows(QTreeWidget& list, const std::vector<QStringList>& rows);

class HomeView final : public QWidget {
  Q_OBJECT
 public:
  explicit HomeView(QWidget* parent = nullptr);
};

class ServerListView final : public QWidget {
  Q_OBJECT
 public:
  explicit ServerListView(QWidget* parent = nullptr);
  void show_lists(const service::ServerLists& lists);
  const QTreeWidget& list() const { return *list_; }

 private:
  QLabel* header_;
  QTreeWidget* list_;
};

class SearchView final : public QWidget {
  Q_OBJECT
 public:
  explicit SearchView(std::function<std::optional<search::ResultSnapshot>()> results, QWidget* parent = nullptr);
  void refresh();

 private:
  std::function<std::optional<search::ResultSnapshot>()> results_;
  QLabel* header_;
  QTreeWidget* list_;
};

class BrowseView final : public QWidget {
  Q_OBJECT
 public:
  explicit BrowseView(std::function<browse::BrowserSnapshot()> snapshot, QWidget* parent = nullptr);
  void refresh();

 private:
  std::function<browse::BrowserSnapshot()> snapshot_;
  QLabel* header_;
  QTreeWidget* list_;
};

class TransfersView final : public QWidget {
  Q_OBJECT
 public:
  // `upload_monitor` (may be null) takes the place of the plain upload list.
  TransfersView(std::function<std::vector<download::ListRow>()> downloads, std::function<mainframe::HubStatus()> hub_status,
                QWidget* upload_monitor, QWidget* parent = nullptr);
  void refresh();

 private:
  std::function<std::vector<download::ListRow>()> downloads_;
  std::function<mainframe::HubStatus()> hub_status_;
  QTreeWidget* download_list_;
  QTreeWidget* upload_list_ = nullptr;
};

}  // namespace dovel::ui
