#include "ui/settings/prop_other.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <functional>

#include "server/folder_download_list.h"
#include "settings/settings_page_rules.h"
#include "ui/settings/autostart_entry.h"

namespace dovel::ui {
namespace {

// A list whose rows are the numbers of a setting's range, showing `value` (repaired when outside it).
QComboBox* range_list(QWidget* parent, const settings::NumberSetting& row, uint32_t value, const std::function<QString(uint32_t)>& text) {
  auto* list = new QComboBox(parent);
  const settings::NumberRange& range = *row.range;
  for (uint32_t number = range.low; number <= range.high; ++number) list->addItem(text(number));
  list->setCurrentIndex(static_cast<int>(range.repair(value) - range.low));
  return list;
}

// The number a row of such a list stands for.
uint32_t number_of_row(const settings::NumberSetting& row, const QComboBox* list) {
  return row.range->low + static_cast<uint32_t>(list->currentIndex());
}

QComboBox* hour_list(QWidget* parent, const settings::NumberSetting& row, uint32_t hour) {
  return range_list(parent, row, hour, [](uint32_t h) { return QStringLiteral("%1:00").arg(h); });
}

QCheckBox* check_box(const QString& text, bool checked, QWidget* parent) {
  auto* box = new QCheckBox(text, parent);
  box->setChecked(checked);
  return box;
}

}  // namespace

CPropOther::CPropOther(settings::Settings& settings, MessageSink& messages, const SettingsSheetHooks& hooks, QWidget* parent)
    : SettingsPage(parent), settings_(settings), messages_(messages), hooks_(hooks) {
  const settings::StoredSettings v = settings_.values();
  allow_memo_at_open_ = v.allow_memo;
  auto_hash_box_ = check_box(QStringLiteral("새로 공유한 파일을 자동으로 해싱"), v.auto_hash, this);
  use_multi_down_box_ = check_box(QStringLiteral("여러 곳에서 동시에 받기"), v.use_multi_down, this);
  auto_retry_box_ = check_box(QStringLiteral("중지된 다운로드를 자동으로 다시 받기"), v.auto_retry_stop_down, this);
  ultra_turbo_box_ = check_box(QStringLiteral("울트라 터보"), v.ultra_turbo, this);
  notify_window_box_ = check_box(QStringLiteral("알림창 보이기"), v.use_notify_window, this);
  server_reserve_box_ = check_box(QStringLiteral("서버 예약 사용"), v.use_server_reserve, this);
  server_reserve_repeat_box_ = check_box(QStringLiteral("매일 반복"), v.use_server_reserve_repeat, this);
  // Whether the entry exists is the desktop's business; the box only says what to do on apply.
  autostart_box_ = check_box(QStringLiteral("컴퓨터를 켜면 자동으로 실행"), false, this);

  // Row 0 means no limit.
  downloads_list_ = range_list(this, settings::kSelLimitDownSameTime, v.sel_limit_down_same_time,
                               [](uint32_t n) { return n == 0 ? QStringLiteral("제한 없음") : QStringLiteral("%1개").arg(n); });
  folder_down_list_ = range_list(this, settings::kMaxForFolderDown, v.max_for_folder_down,
                                 [](uint32_t row) { return QStringLiteral("%1개").arg(server::folder_download_limit(row)); });
  reserve_start_list_ = hour_list(this, settings::kServerReserveStartTime, v.server_reserve_start_time);
  reserve_end_list_ = hour_list(this, settings::kServerReserveEndTime, v.server_reserve_end_time);

  auto* reserve_hours = new QHBoxLayout;
  reserve_hours->addWidget(new QLabel(QStringLiteral("시작:"), this));
  reserve_hours->addWidget(reserve_start_list_);
  reserve_hours->addWidget(new QLabel(QStringLiteral("종료:"), this));
  reserve_hours->addWidget(reserve_end_list_);
  reserve_hours->addWidget(server_reserve_repeat_box_);
  reserve_hours->addStretch(1);
  auto* reserve_group = new QGroupBox(QStringLiteral("서버 예약"), this);
  auto* reserve_layout = new QVBoxLayout(reserve_group);
  reserve_layout->addWidget(server_reserve_box_);
  reserve_layout->addLayout(reserve_hours);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("동시 다운로드:"), downloads_list_);
  form->addRow(QStringLiteral("폴더받기 최대 파일수:"), folder_down_list_);

  auto* layout = new QVBoxLayout(this);
  for (QCheckBox* box : {auto_hash_box_, use_multi_down_box_, auto_retry_box_, ultra_turbo_box_, notify_window_box_}) {
    layout->addWidget(box);
  }
  layout->addLayout(form);
  layout->addWidget(reserve_group);
  layout->addWidget(autostart_box_);
  layout->addStretch(1);

  follow_server_reserve(v.use_server_reserve);
  connect(server_reserve_box_, &QCheckBox::toggled, this, &CPropOther::follow_server_reserve);
}

void CPropOther::follow_server_reserve(bool on) {
  reserve_start_list_->setEnabled(on);
  reserve_end_list_->setEnabled(on);
}

void CPropOther::apply_autostart() {
  if (hooks_.autostart_entry.empty()) return;
  const bool done = autostart_box_->isChecked() ? write_autostart_entry(hooks_.autostart_entry, hooks_.executable)
                                                : remove_autostart_entry(hooks_.autostart_entry);
  if (!done) messages_.inform(window(), QStringLiteral("자동 실행 설정을 바꾸지 못했습니다."));
}

bool CPropOther::apply() {
  apply_autostart();
  bool use_server_reserve = server_reserve_box_->isChecked();
  const uint32_t start_hour = number_of_row(settings::kServerReserveStartTime, reserve_start_list_);
  const uint32_t end_hour = number_of_row(settings::kServerReserveEndTime, reserve_end_list_);
  if (std::optional<std::string> refusal = settings::server_reserve_refusal(use_server_reserve, start_hour, end_hour)) {
    messages_.inform(window(), QString::fromStdString(*refusal) + QStringLiteral("\r\n\r\n예약기능을 취소합니다."));
    use_server_reserve = false;
    server_reserve_box_->setChecked(false);
  }
  const bool ultra_turbo_before = settings_.values().ultra_turbo;
  const bool ultra_turbo = ultra_turbo_box_->isChecked();
  settings_.update([&](settings::StoredSettings& v) {
    v.auto_hash = auto_hash_box_->isChecked();
    v.use_multi_down = use_multi_down_box_->isChecked();
    v.auto_retry_stop_down = auto_retry_box_->isChecked();
    v.ultra_turbo = ultra_turbo;
    v.use_notify_window = notify_window_box_->isChecked();
    v.use_server_reserve = use_server_reserve;
    v.use_server_reserve_repeat = server_reserve_repeat_box_->isChecked();
    v.sel_limit_down_same_time = number_of_row(settings::kSelLimitDownSameTime, downloads_list_);
    v.max_for_folder_down = number_of_row(settings::kMaxForFolderDown, folder_down_list_);
    v.server_reserve_start_time = start_hour;
    v.server_reserve_end_time = end_hour;
  });
  settings_.Save();
  const bool allow_memo = settings_.values().allow_memo;
  if (allow_memo != allow_memo_at_open_ && hooks_.send_allow_memo && hooks_.send_allow_memo(allow_memo)) allow_memo_at_open_ = allow_memo;
  if (ultra_turbo != ultra_turbo_before) {
    if (hooks_.send_ultra_turbo) hooks_.send_ultra_turbo(ultra_turbo);
    if (hooks_.ultra_turbo_changed) hooks_.ultra_turbo_changed(ultra_turbo);
  }
  return true;
}

}  // namespace dovel::ui
