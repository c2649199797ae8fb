#include "ui/search/search_dialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "search/result_tabs.h"
#include "ui/controls/message_sink.h"
#include "ui/search/dummy_dialog.h"
#include "ui/search/search_list_ctrl.h"

namespace dovel::ui {
namespace {

constexpr const char* kNumberProperty = "search_number";

uint32_t number_of(const QWidget* list) { return list->property(kNumberProperty).toUInt(); }

bool sending_state(search::SearchState state) {
  return state == search::SearchState::FetchingLists || state == search::SearchState::Sending;
}

}  // namespace

CSearchDialog::CSearchDialog(SearchCommands commands, MessageSink& messages, QWidget* parent)
    : QWidget(parent),
      commands_(std::move(commands)),
      messages_(messages),
      tabs_(new QTabWidget(this)),
      side_pane_(new CDummyDialog(commands_.fetch_page, this)),
      progress_(new QProgressBar(this)),
      state_(new QLabel(this)),
      stop_(new QPushButton(QString::fromUtf8(kStopText), this)),
      worker_(this) {
  tabs_->setDocumentMode(true);
  tabs_->setMinimumSize(420, 200);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setTextVisible(true);
  progress_->setFormat(QStringLiteral("%v / %m"));
  progress_->setMinimumWidth(160);
  stop_->setEnabled(false);

  auto* panes = new QHBoxLayout;
  panes->addWidget(tabs_, 1);
  panes->addWidget(side_pane_);
  auto* status = new QHBoxLayout;
  status->addWidget(new QLabel(QString::fromUtf8(kProgressLabel), this));
  status->addWidget(progress_, 1);
  status->addWidget(state_, 2);
  status->addWidget(stop_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(panes, 1);
  layout->addLayout(status);

  connect(stop_, &QPushButton::clicked, this, &CSearchDialog::stop_search);
  connect(tabs_, &QTabWidget::currentChanged, this, &CSearchDialog::refresh);
  connect(side_pane_, &CDummyDialog::layout_requested, this, &CSearchDialog::lay_out_panes);
  connect(&running_timer_, &QTimer::timeout, this, &CSearchDialog::refresh);
  refresh();
}

CSearchDialog::~CSearchDialog() = default;

void CSearchDialog::start_search(const search::SearchRequest& request) {
  if (!commands_.start || stopping_) return;
  // The core ends a running search before it starts the next; that is quick
  // (its sockets are shut down), but long enough to be seen.
  if (commands_.running && commands_.running()) {
    state_->setText(QString::fromUtf8(kReplacingText));
    state_->repaint();
  }
  const search::StartOutcome outcome = commands_.start(request);
  state_->clear();
  if (!outcome.refusal.empty()) messages_.inform(this, QString::fromStdString(outcome.refusal));
  if (outcome.number) {
    keywords_[*outcome.number] = QString::fromStdString(request.keyword);
    side_pane_->load(request.keyword);
    emit search_started(request);
  }
  refresh();
}

void CSearchDialog::stop_search() {
  if (!commands_.stop || stopping_) return;
  stopping_ = true;
  state_->setText(QString::fromUtf8(kStoppingText));
  update_running_state();
  worker_.run([stop = commands_.stop] { stop(); },
              [this] {
                stopping_ = false;
                state_->clear();
                refresh();
              });
}

void CSearchDialog::refine_current(std::optional<RefineFilter> filter) {
  CSearchListCtrl* list = current_list();
  if (list == nullptr) return;
  list->rows().set_filter(std::move(filter));
  update_tab_text(list);
}

void CSearchDialog::clear_refinements() {
  for (int i = 0; i < tabs_->count(); ++i) {
    auto* list = qobject_cast<CSearchListCtrl*>(tabs_->widget(i));
    if (list == nullptr || !list->rows().filter()) continue;
    list->rows().set_filter(std::nullopt);
    update_tab_text(list);
  }
}

bool CSearchDialog::may_close() {
  const bool searching = commands_.running && commands_.running();
  if (searching) messages_.inform(this, QString::fromUtf8(kCloseRefusedText));
  return !searching;
}

CSearchListCtrl* CSearchDialog::current_list() const { return qobject_cast<CSearchListCtrl*>(tabs_->currentWidget()); }

CSearchListCtrl* CSearchDialog::list_of(uint32_t number) const {
  for (int i = 0; i < tabs_->count(); ++i) {
    auto* list = qobject_cast<CSearchListCtrl*>(tabs_->widget(i));
    if (list != nullptr && number_of(list) == number) return list;
  }
  return nullptr;
}

void CSearchDialog::refresh() {
  update_running_state();
  const bool privileged = commands_.privileged && commands_.privileged();
  for (int i = 0; i < tabs_->count(); ++i) {
    if (auto* list = qobject_cast<CSearchListCtrl*>(tabs_->widget(i))) list->set_privileged(privileged);
  }
  if (!commands_.results) return;

  CSearchListCtrl* latest = nullptr;
  if (std::optional<search::ResultSnapshot> snapshot = commands_.results(std::nullopt)) {
    latest = list_of(snapshot->number);
    const bool added = latest == nullptr;
    if (added) latest = add_tab(snapshot->number);
    for (int i = 0; i < tabs_->count(); ++i) {
      if (auto* list = qobject_cast<CSearchListCtrl*>(tabs_->widget(i))) list->set_latest(list == latest);
    }
    latest->set_privileged(privileged);
    latest->set_snapshot(std::move(*snapshot));
    update_tab_text(latest);
    if (added) {
      const QSignalBlocker quiet(tabs_);
      tabs_->setCurrentWidget(latest);
      while (tabs_->count() > static_cast<int>(search::ResultTabs::kKeptTabs)) drop_tab(0);
    }
  }
  if (CSearchListCtrl* current = current_list(); current != nullptr && current != latest) refresh_tab(current);
}

void CSearchDialog::closeEvent(QCloseEvent* event) {
  if (may_close()) {
    event->accept();
  } else {
    event->ignore();
  }
}

CSearchListCtrl* CSearchDialog::add_tab(uint32_t number) {
  auto* list = new CSearchListCtrl(commands_, tabs_);
  list->setProperty(kNumberProperty, number);
  connect(list, &CSearchListCtrl::changed, this, &CSearchDialog::refresh);
  connect(list, &CSearchListCtrl::downloads_queued, this, &CSearchDialog::downloads_queued);
  // The caller fills the tab; a refresh from inside addTab would come too early.
  const QSignalBlocker quiet(tabs_);
  tabs_->addTab(list, QString());
  return list;
}

void CSearchDialog::drop_tab(int index) {
  QWidget* list = tabs_->widget(index);
  keywords_.erase(number_of(list));
  const QSignalBlocker quiet(tabs_);
  tabs_->removeTab(index);
  list->deleteLater();
}

void CSearchDialog::refresh_tab(CSearchListCtrl* list) {
  std::optional<search::ResultSnapshot> snapshot = commands_.results(number_of(list));
  if (!snapshot) {
    // The core keeps only its latest tabs; this one is gone.
    drop_tab(tabs_->indexOf(list));
    return;
  }
  list->set_snapshot(std::move(*snapshot));
  update_tab_text(list);
}

void CSearchDialog::update_tab_text(CSearchListCtrl* list) {
  const auto keyword = keywords_.find(number_of(list));
  const QString name = keyword != keywords_.end() && !keyword->second.isEmpty() ? keyword->second : QString::fromUtf8(kUnnamedTabText);
  tabs_->setTabText(tabs_->indexOf(list), QStringLiteral("%1 (%2)").arg(name).arg(list->rows().rowCount()));
}

void CSearchDialog::update_running_state() {
  const bool running = commands_.running && commands_.running();
  const search::SearchProgress progress = commands_.progress ? commands_.progress() : search::SearchProgress{};
  sending_ = running && sending_state(progress.state);

  const uint64_t listed = std::max<uint64_t>(progress.listed, 1);
  const uint64_t sent = std::min(progress.sent, listed);
  progress_->setRange(0, static_cast<int>(std::min<uint64_t>(listed, INT32_MAX)));
  progress_->setValue(static_cast<int>(std::min<uint64_t>(sent, INT32_MAX)));
  stop_->setEnabled(running && !stopping_ && static_cast<bool>(commands_.stop));

  // While the queries go out the progress bar follows them; once the sending
  // is done, answers may still come until the stop.
  if (running) {
    const int period = sending_ ? kSendingRefreshMs : kAfterSendingRefreshMs;
    if (!running_timer_.isActive() || running_timer_.interval() != period) running_timer_.start(period);
  } else {
    running_timer_.stop();
  }
  if (busy() != was_busy_) {
    was_busy_ = busy();
    emit busy_changed(was_busy_);
  }
}

void CSearchDialog::lay_out_panes() {
  if (layout() != nullptr) {
    layout()->invalidate();
    layout()->activate();
  }
}

}  // namespace dovel::ui
