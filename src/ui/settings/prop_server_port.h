#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

#include "server/port_check.h"

#include "settings/settings.h"
#include "ui/controls/message_sink.h"
#include "ui/settings/settings_page.h"
#include "ui/settings/settings_sheet_hooks.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace dovel::ui {

// "포트": the share port, its test from outside, and the firewall button (no
// firewall interface to drive here, so it stays disabled).
class CPropServerPort final : public SettingsPage {
  Q_OBJECT

 public:
  CPropServerPort(settings::Settings& settings, MessageSink& messages, const SettingsSheetHooks& hooks, QWidget* parent = nullptr);
  // Waits for a test that still runs: the part under way ends by its own
  // deadlines, and the parts after it are not started.
  ~CPropServerPort() override;

  bool apply() override;
  // Starts the test of the port in the edit on a worker thread; ignored while one runs.
  void start_test();
  bool test_running() const { return test_running_; }

  QLineEdit* port_edit() const { return port_edit_; }
  QPlainTextEdit* result_box() const { return result_box_; }
  QPushButton* test_button() const { return test_button_; }
  QPushButton* firewall_button() const { return firewall_button_; }

 private:
  void step_port(int delta);
  void refuse_port_range();
  // On the test's thread: one TCP then one UDP test, each announced and followed by its result line.
  void run_test(const server::PortTester& tester, uint16_t port);
  // From the test's thread: `change` runs on the GUI thread, while the page is there.
  void post_to_page(std::function<void()> change);

  settings::Settings& settings_;
  MessageSink& messages_;
  const SettingsSheetHooks& hooks_;
  uint32_t port_at_open_;
  bool test_running_ = false;
  QLineEdit* port_edit_;
  QPlainTextEdit* result_box_;
  QPushButton* test_button_;
  QPushButton* firewall_button_;
  // The page's test thread: joined before the next test starts and when the
  // page goes, so that it never outlives the page and no line reaches a page
  // that is gone.
  std::thread test_thread_;
  std::atomic<bool> closing_{false};
};

}  // namespace dovel::ui
