#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "browse/browser_front.h"
#include "core/message.h"
#include "ui/controls/message_sink.h"

namespace dovel::ui {

// The remote browser's side of the desktop client. It exists before the
// windows (the browser is made with the application), so the password prompt
// is plugged in once the browse window is there. Tab switches go through the
// hub's loop and boxes are posted to the GUI thread, because a session's
// thread may call them while the GUI thread waits for that session to stop.
class DesktopBrowserFront final : public browse::BrowserFront {
 public:
  using PasswordPrompt = std::function<std::optional<std::string>()>;

  DesktopBrowserFront(core::MessageTarget& loop, MessageSink& messages) : loop_(loop), messages_(messages) {}

  // The browse window's prompt (empty: nothing is asked, the share stays closed).
  void set_password_prompt(PasswordPrompt prompt) { prompt_ = std::move(prompt); }
  void set_box_parent(QWidget* parent) { box_parent_ = parent; }

  void show_browse_tab() override;
  void show_download_tab() override;
  void show_origin_tab(int origin) override;
  void tell(const std::string& text) override;
  std::optional<std::string> ask_folder_password() override;

 private:
  void show_view(int view);

  core::MessageTarget& loop_;
  MessageSink& messages_;
  PasswordPrompt prompt_;
  QPointer<QWidget> box_parent_;
  // Lives on the GUI thread: the posted boxes run there.
  QObject gui_thread_;
};

}  // namespace dovel::ui
