#include "ui/settings/prop_general.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/text.h"
#include "service/service_domain.h"
#include "settings/settings_page_rules.h"
#include "ui/settings/server_subject_edit.h"

namespace dovel::ui {

CPropGeneral::CPropGeneral(settings::Settings& settings, MessageSink& messages, const SettingsSheetHooks& hooks, QWidget* parent)
    : SettingsPage(parent),
      settings_(settings),
      messages_(messages),
      hooks_(hooks),
      title_edit_(new ServerSubjectEdit(messages, this)),
      use_intro_url_box_(new QCheckBox(QStringLiteral("아래 주소를 내 소개페이지로 사용"), this)),
      intro_url_edit_(new QLineEdit(this)),
      upload_count_list_(new QComboBox(this)),
      allow_memo_box_(new QCheckBox(QStringLiteral("쪽지 받기"), this)) {
  const settings::StoredSettings values = settings_.values();
  title_edit_->set_initial_text(QString::fromStdString(values.server_subject));
  use_intro_url_box_->setChecked(values.use_intro_url);
  intro_url_edit_->setText(QString::fromStdString(values.intro_url));
  const settings::NumberRange& uploads = *settings::kMaxUpload.range;
  for (uint32_t count = uploads.low; count <= uploads.high; ++count) upload_count_list_->addItem(QStringLiteral("%1 명").arg(count));
  upload_count_list_->setCurrentIndex(static_cast<int>(uploads.repair(values.max_upload) - uploads.low));
  allow_memo_box_->setChecked(values.allow_memo);

  auto* edit_intro = new QPushButton(QStringLiteral("소개페이지 편집"), this);
  edit_intro->setEnabled(static_cast<bool>(hooks_.open_path));

  auto* intro_row = new QHBoxLayout;
  intro_row->addWidget(intro_url_edit_, 1);
  intro_row->addWidget(edit_intro);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("내서버제목:"), title_edit_);
  form->addRow(use_intro_url_box_);
  form->addRow(QStringLiteral("소개페이지 주소:"), intro_row);
  form->addRow(QStringLiteral("동시 업로드:"), upload_count_list_);
  form->addRow(allow_memo_box_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addStretch(1);

  connect(upload_count_list_, &QComboBox::activated, this, &CPropGeneral::on_upload_count_chosen);
  connect(allow_memo_box_, &QCheckBox::clicked, this, &CPropGeneral::on_allow_memo_toggled);
  connect(edit_intro, &QPushButton::clicked, this, &CPropGeneral::edit_intro_page);
}

void CPropGeneral::on_upload_count_chosen(int row) {
  if (row < 0) return;
  settings_.update([row](settings::StoredSettings& v) { v.max_upload = settings::kMaxUpload.range->low + static_cast<uint32_t>(row); });
}

void CPropGeneral::on_allow_memo_toggled(bool allow) {
  // The service keeps the memo choice; it is ours only once the service has it.
  if (!hooks_.send_allow_memo || !hooks_.send_allow_memo(allow)) {
    QSignalBlocker quiet(allow_memo_box_);
    allow_memo_box_->setChecked(!allow);
    return;
  }
  settings_.update([allow](settings::StoredSettings& v) { v.allow_memo = allow; });
}

void CPropGeneral::edit_intro_page() {
  if (hooks_.open_path) hooks_.open_path((hooks_.program_folder / "intro.html").string());
}

bool CPropGeneral::apply() {
  const std::string title(base::trim(title_edit_->text().toStdString()));
  if (std::optional<std::string> refusal = settings::server_subject_refusal(title)) {
    emit activation_requested();
    messages_.inform(window(), QString::fromStdString(*refusal));
    title_edit_->setFocus();
    return false;
  }
  const std::string intro_url(base::trim(intro_url_edit_->text().toStdString()));
  if (service::mentions_service_domain(intro_url, hooks_.web_base)) {
    emit activation_requested();
    messages_.inform(window(), QStringLiteral("소개페이지 주소에는 %1 주소를 쓸 수 없습니다.")
                                 .arg(QString::fromStdString(service::service_domain(hooks_.web_base))));
    intro_url_edit_->setFocus();
    return false;
  }
  const std::string previous_title = settings_.values().server_subject;
  const bool use_intro_url = use_intro_url_box_->isChecked();
  settings_.update([&](settings::StoredSettings& v) {
    v.use_intro_url = use_intro_url;
    v.server_subject = title;
    v.intro_url = intro_url;
  });
  title_edit_->set_initial_text(QString::fromStdString(title));
  intro_url_edit_->setText(QString::fromStdString(intro_url));
  if (title != previous_title && hooks_.send_server_subject) hooks_.send_server_subject(title);
  settings_.Save();
  return true;
}

}  // namespace dovel::ui
