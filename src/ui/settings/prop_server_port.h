#pragma once

#include <QObject>

#include "settings/settings.h"
#include "ui/controls/message_sink.h"
#include "ui/settings/settings_page.h"
#include "ui/settings/settings_sheet_hooks.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace dovel::ui {

// Carries the lines of a port test from its worker thread to the page. It lives
// on the GUI thread and outlives the page if need be: the worker deletes it
// (deleteLater) when done, and a page that closed early simply stops listening.
class PortTestReporter final : public QObject {
  Q_OBJECT

 signals:
  void line(const QString& text);
  void finished();
};

// "포트": the share port, its test from outside, and the firewall button (no
// firewall interface to drive here, so it stays disabled).
class CPropServerPort final : public SettingsPage {
  Q_OBJECT

 public:
  CPropServerPort(settings::Settings& settings, MessageSink& messages, const SettingsSheetHooks& hooks, QWidget* parent = nullptr);

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

  settings::Settings& settings_;
  MessageSink& messages_;
  const SettingsSheetHooks& hooks_;
  uint32_t port_at_open_;
  bool test_running_ = false;
  QLineEdit* port_edit_;
  QPlainTextEdit* result_box_;
  QPushButton* test_button_;
  QPushButton* firewall_button_;
};

}  // namespace dovel::ui
