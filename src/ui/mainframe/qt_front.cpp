#include "ui/mainframe/qt_front.h"

#include <QApplication>
#include <QMetaObject>
#include <QThread>

#include <algorithm>

#include "ui/controls/clipboard.h"
#include "ui/controls/open_browser.h"

namespace dovel::ui {
namespace {

QString text_of(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void QtFront::PendingAnswer::give(bool answer) {
  std::lock_guard guard(lock);
  if (done) return;
  done = true;
  yes = answer;
  answered.notify_all();
}

QtFront::QtFront(MessageSink& boxes, QObject* parent, ProgramStarter opener) : QObject(parent), boxes_(boxes), opener_(std::move(opener)) {}

QtFront::~QtFront() { cancel_questions(); }

void QtFront::attach_window(CMainFrameWindow* window) {
  window_ = window;
  if (window_ != nullptr) window_->set_title(title_);
}

void QtFront::set_title(const std::string& title) {
  title_ = text_of(title);
  if (window_ != nullptr) window_->set_title(title_);
}

void QtFront::show_transfer_status(const mainframe::TransferStatus& status) {
  if (window_ == nullptr) return;
  window_->show_transfer_status(text_of(status.tray_tip), text_of(status.download_text), text_of(status.upload_text));
}

void QtFront::bring_to_front() {
  if (window_ != nullptr) window_->bring_to_front();
}

void QtFront::show_view(int view) {
  if (window_ != nullptr) window_->show_view(view);
}

void QtFront::ask_for_login() {
  if (window_ != nullptr) window_->open_login_window();
}

void QtFront::login_done(const service::SessionRecord&, bool) {
  if (window_ != nullptr) window_->show_logged_in(true);
}

void QtFront::session_ended() {
  if (window_ != nullptr) window_->show_logged_in(false);
}

void QtFront::show_server_lists(const service::ServerLists& lists) {
  if (window_ != nullptr) window_->show_server_lists(lists);
}

void QtFront::open_page_window(const std::string& url) {
  OpenBrowser(url);
}

void QtFront::show_file_link(const std::string& link) {
  CopyToClipboard(link);
  tell(link);
}

void QtFront::show_server_visibility(bool) {
  if (window_ != nullptr) window_->refresh();
}

void QtFront::show_server_start_button(bool shown) {
  if (window_ != nullptr) window_->show_server_start_button(shown);
}

void QtFront::show_service_notice(const std::string& text) {
  if (window_ != nullptr) window_->notify(QStringLiteral("Notice"), QString(), text_of(text), false);
}

void QtFront::notify_download_finished(const std::string& text) {
  if (window_ != nullptr) window_->notify_download_finished(QString(), text_of(text));
}

void QtFront::service_line_arrived() { QApplication::beep(); }

void QtFront::show_online_count(uint32_t users) {
  if (window_ != nullptr) window_->show_online_count(users);
}

void QtFront::show_point_balance(const std::string& lines) {
  if (window_ != nullptr) window_->show_point_balance(text_of(lines));
}

void QtFront::show_point_shortage() {
  if (window_ != nullptr) window_->show_point_shortage();
}

// Queued: the start that found the files goes on, and the box comes up over the window.
void QtFront::ask_about_leftover_files(const std::string& question, const std::string& folder) {
  QMetaObject::invokeMethod(
      this,
      [this, shown = text_of(question), folder] {
        if (boxes_.ask(window_, shown)) OpenLocalPath(folder, opener_);
      },
      Qt::QueuedConnection);
}

void QtFront::tear_down() {
  cancel_questions();
  if (window_ != nullptr) window_->tear_down();
}

bool QtFront::ask(Question, const std::string& text) {
  if (QThread::currentThread() == thread()) return boxes_.ask(window_, text_of(text));
  auto pending = std::make_shared<PendingAnswer>();
  {
    std::lock_guard guard(questions_lock_);
    if (closing_) return false;
    questions_.push_back(pending);
  }
  QMetaObject::invokeMethod(
      this, [this, pending, question = text_of(text)] { pending->give(boxes_.ask(window_, question)); },
      Qt::QueuedConnection);
  {
    std::unique_lock wait(pending->lock);
    pending->answered.wait(wait, [&] { return pending->done; });
  }
  std::lock_guard guard(questions_lock_);
  questions_.erase(std::remove(questions_.begin(), questions_.end(), pending), questions_.end());
  return pending->yes;
}

void QtFront::tell(const std::string& text) {
  if (QThread::currentThread() == thread()) {
    boxes_.inform(window_, text_of(text));
    return;
  }
  QMetaObject::invokeMethod(this, [this, shown = text_of(text)] { boxes_.inform(window_, shown); }, Qt::QueuedConnection);
}

// Whoever still waits for an answer gets "no": the GUI thread may be about to
// join the asker's thread and will never show the question.
void QtFront::cancel_questions() {
  std::lock_guard guard(questions_lock_);
  closing_ = true;
  for (const std::shared_ptr<PendingAnswer>& pending : questions_) pending->give(false);
}

}  // namespace dovel::ui
