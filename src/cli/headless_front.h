#pragma once

#include "mainframe/hub_front.h"

namespace dovel::cli {

// doveld's front: no windows. What a window would show goes to the status log,
// which the control socket serves; everything else is left out.
class HeadlessFront final : public mainframe::HubFront {
 public:
  void set_title(const std::string&) override {}
  void show_transfer_status(const mainframe::TransferStatus&) override {}
  void bring_to_front() override {}
  void show_view(int) override {}
  void ask_for_login() override;
  void login_done(const service::SessionRecord&, bool) override {}
  void session_ended() override {}
  void show_server_visibility(bool) override {}
  void show_server_lists(const service::ServerLists& lists) override;
  void open_page_window(const std::string& url) override;
  void show_file_link(const std::string& link) override;
  void show_server_start_button(bool) override {}
  void show_service_notice(const std::string& text) override;
  void notify_download_finished(const std::string& text) override;
  void service_line_arrived() override {}
  void show_online_count(uint32_t) override {}
  // Nobody to ask: the files are in the status log already.
  void ask_about_leftover_files(const std::string&, const std::string&) override {}
  void show_point_balance(const std::string& lines) override;
  void show_point_shortage() override;
  void tear_down() override {}
};

// doveld's answers to the questions a user would be asked: it was told to run
// and to exit, so it exits and ends sessions when asked; it takes its account's
// session over from elsewhere; and it never lets a handed-over request log in as
// another user. Each question and its answer go to the status log.
class PolicyPrompt final : public mainframe::UserPrompt {
 public:
  bool ask(Question question, const std::string& text) override;
  void tell(const std::string& text) override;
};

}  // namespace dovel::cli
