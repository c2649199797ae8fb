#pragma once

#include <QObject>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "mainframe/hub_front.h"
#include "ui/controls/message_sink.h"
#include "ui/controls/open_browser.h"
#include "ui/mainframe/main_frame_window.h"

namespace dovel::ui {

// The desktop's front of the hub: what the hub shows goes to the main window,
// its questions to message boxes. The hub calls on the GUI thread; a question
// asked on another thread is carried to the GUI thread and its asker waits for
// the answer, or for the front's end, which answers "no".
class QtFront final : public QObject, public mainframe::HubFront, public mainframe::UserPrompt {
  Q_OBJECT

 public:

  // `opener` opens local folders (the desktop's opener unless a test gives its own).
  explicit QtFront(MessageSink& boxes, QObject* parent = nullptr, ProgramStarter opener = desktop_opener());
  ~QtFront() override;

  // The window, once made; the title set before it is applied then.
  void attach_window(CMainFrameWindow* window);
  QString title() const { return title_; }

  void set_title(const std::string& title) override;
  void show_transfer_status(const mainframe::TransferStatus& status) override;
  void bring_to_front() override;
  void show_view(int view) override;
  void ask_for_login() override;
  void login_done(const service::SessionRecord& session, bool server_usable) override;
  void session_ended() override;
  void show_server_lists(const service::ServerLists& lists) override;
  void open_page_window(const std::string& url) override;
  void show_file_link(const std::string& link) override;
  void show_server_start_button(bool shown) override;
  void show_server_visibility(bool shown) override;
  void show_service_notice(const std::string& text) override;
  void notify_download_finished(const std::string& text) override;
  void service_line_arrived() override;
  void show_online_count(uint32_t users) override;
  void show_point_balance(const std::string& lines) override;
  void show_point_shortage() override;
  void ask_about_leftover_files(const std::string& question, const std::string& folder) override;
  void tear_down() override;

  bool ask(Question question, const std::string& text) override;
  void tell(const std::string& text) override;

 private:
  struct PendingAnswer {
    std::mutex lock;
    std::condition_variable answered;
    bool done = false;
    bool yes = false;
    void give(bool answer);
  };
  void cancel_questions();

  MessageSink& boxes_;
  ProgramStarter opener_;
  CMainFrameWindow* window_ = nullptr;
  QString title_ = QStringLiteral("Dovel");
  std::mutex questions_lock_;
  bool closing_ = false;
  std::vector<std::shared_ptr<PendingAnswer>> questions_;
};

}  // namespace dovel::ui
