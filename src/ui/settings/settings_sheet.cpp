#include "ui/settings/settings_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <utility>

#include "ui/settings/prop_folder.h"
#include "ui/settings/prop_general.h"
#include "ui/settings/prop_other.h"
#include "ui/settings/prop_server_port.h"

namespace dovel::ui {

CSettingsSheet::CSettingsSheet(settings::Settings& settings, MessageSink& messages, SettingsSheetHooks hooks, QWidget* parent)
    : QDialog(parent),
      hooks_(std::move(hooks)),
      tabs_(new QTabWidget(this)),
      general_(new CPropGeneral(settings, messages, hooks_, this)),
      folder_(new CPropFolder(settings, messages, hooks_, this)),
      port_(new CPropServerPort(settings, messages, hooks_, this)),
      other_(new CPropOther(settings, messages, hooks_, this)) {
  setWindowTitle(QStringLiteral("환경 설정"));
  add_page(general_, QStringLiteral("일반"));
  add_page(folder_, QStringLiteral("폴더"));
  add_page(port_, QStringLiteral("포트"));
  add_page(other_, QStringLiteral("기타"));

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("확인"), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(QStringLiteral("취소"), QDialogButtonBox::RejectRole);
  QPushButton* apply = buttons->addButton(QStringLiteral("적용(&A)"), QDialogButtonBox::ApplyRole);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (apply_all()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(apply, &QPushButton::clicked, this, &CSettingsSheet::apply_all);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addWidget(buttons);
}

void CSettingsSheet::add_page(SettingsPage* page, const QString& title) {
  tabs_->addTab(page, title);
  pages_.push_back(page);
  connect(page, &SettingsPage::activation_requested, this, [this, page] { tabs_->setCurrentWidget(page); });
}

bool CSettingsSheet::apply_all() {
  for (SettingsPage* page : pages_) {
    if (!page->apply()) return false;
  }
  return true;
}

}  // namespace dovel::ui
