#pragma once

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "search/search_input.h"
#include "ui/search/background_worker.h"
#include "ui/search/result_refine.h"
#include "ui/search/search_commands.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace dovel::ui {

class CDummyDialog;
class CSearchListCtrl;
class MessageSink;

// The search window: one result tab per search the core keeps (its text the
// keyword and the number of rows), the progress of the datagrams sent, the
// stop button and the recommendation side pane.
class CSearchDialog final : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kProgressLabel = "진행:";
  static constexpr const char* kStopText = "중지";
  static constexpr const char* kStoppingText = "검색을 중지중입니다. 잠시만 기다려주세요.";
  static constexpr const char* kReplacingText = "진행중인 검색을 중지중입니다. 잠시 기다려 주세요..";
  static constexpr const char* kCloseRefusedText = "검색중에는 검색창을 닫을 수 없습니다.";
  static constexpr const char* kUnnamedTabText = "검색결과";
  // How often the rows are read again once the sending is done and answers may still come.
  static constexpr int kSendingRefreshMs = 250;
  static constexpr int kAfterSendingRefreshMs = 2000;

  // `messages` outlives the window. Works without a core: the commands may be
  // empty, or fakes over a filled result tab.
  CSearchDialog(SearchCommands commands, MessageSink& messages, QWidget* parent = nullptr);
  ~CSearchDialog() override;

  // Starts a search (the core first stops a running one); a refused input
  // shows the core's message. On the GUI thread, as the core may ask for a login.
  void start_search(const search::SearchRequest& request);
  // Stops the running search (away from the GUI thread).
  void stop_search();
  // A search is being stopped, or is fetching its lists or still sending:
  // the search bar waits.
  bool busy() const { return stopping_ || sending_; }
  // Filters the shown tab's rows ("결과내 재검색").
  void refine_current(std::optional<RefineFilter> filter);
  // Every tab shows all its rows again.
  void clear_refinements();
  // Refused, with the message, while a search runs.
  bool may_close();

  QTabWidget* tabs() const { return tabs_; }
  CSearchListCtrl* current_list() const;
  CSearchListCtrl* list_of(uint32_t number) const;
  CDummyDialog* side_pane() const { return side_pane_; }
  QProgressBar* progress_bar() const { return progress_; }
  QLabel* state_label() const { return state_; }
  QPushButton* stop_button() const { return stop_; }

 public slots:
  // Reads the running state, the progress and the rows again.
  void refresh();

 signals:
  // busy() changed.
  void busy_changed(bool busy);
  // The core took the input and the search began.
  void search_started(const search::SearchRequest& request);
  // A download was queued from the results.
  void downloads_queued();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  CSearchListCtrl* add_tab(uint32_t number);
  void drop_tab(int index);
  // An older tab the user looks at.
  void refresh_tab(CSearchListCtrl* list);
  void update_tab_text(CSearchListCtrl* list);
  void update_running_state();
  void lay_out_panes();

  const SearchCommands commands_;
  MessageSink& messages_;
  QTabWidget* tabs_;
  CDummyDialog* side_pane_;
  QProgressBar* progress_;
  QLabel* state_;
  QPushButton* stop_;
  QTimer running_timer_;
  std::map<uint32_t, QString> keywords_;  // tab texts of the searches started here
  bool stopping_ = false;
  bool sending_ = false;
  bool was_busy_ = false;
  BackgroundWorker worker_;
};

}  // namespace dovel::ui
