#pragma once

#include <QDialog>

#include <vector>

#include "settings/settings.h"
#include "ui/controls/message_sink.h"
#include "ui/settings/settings_sheet_hooks.h"

class QTabWidget;

namespace dovel::ui {

class CPropFolder;
class CPropGeneral;
class CPropOther;
class CPropServerPort;
class SettingsPage;

// The settings sheet: one tab per page. OK and Apply apply every page in turn;
// the first page that refuses becomes the visible one and the sheet stays open
// (pages before it keep what they stored). Cancel closes without applying.
class CSettingsSheet final : public QDialog {
  Q_OBJECT

 public:
  // `settings` and `messages` must outlive the sheet; the sheet keeps its own copy of `hooks`.
  CSettingsSheet(settings::Settings& settings, MessageSink& messages, SettingsSheetHooks hooks, QWidget* parent = nullptr);

  // True when every page applied.
  bool apply_all();

  CPropGeneral* general_page() const { return general_; }
  CPropFolder* folder_page() const { return folder_; }
  CPropServerPort* port_page() const { return port_; }
  CPropOther* other_page() const { return other_; }
  QTabWidget* tabs() const { return tabs_; }

 private:
  void add_page(SettingsPage* page, const QString& title);

  const SettingsSheetHooks hooks_;
  QTabWidget* tabs_;
  CPropGeneral* general_;
  CPropFolder* folder_;
  CPropServerPort* port_;
  CPropOther* other_;
  std::vector<SettingsPage*> pages_;
};

}  // namespace dovel::ui
