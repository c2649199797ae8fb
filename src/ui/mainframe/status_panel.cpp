#include "ui/mainframe/status_panel.h"

#include <QFormLayout>
#include <QScrollBar>

namespace dovel::ui {
namespace {

constexpr int kKeptLogLines = 2000;

QLabel* make_value(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  return label;
}

QString server_state(const mainframe::HubStatus& status) {
  if (status.hashing) {
    return QString::fromUtf8("해싱중 (%1/%2)").arg(status.hash_counts.hashed).arg(status.hash_counts.files);
  }
  if (!status.share_server_running) {
    return status.server_usable || !status.logged_in ? QString::fromUtf8("중지") : QString::fromUtf8("서버역할 불가");
  }
  QString text = QString::fromUtf8("실행중 (포트 %1)").arg(status.share_port);
  if (status.registered) text += QString::fromUtf8(", 등록됨");
  return text;
}

}  // namespace

StatusPanel::StatusPanel(QWidget* parent) : QFrame(parent) {
  setFrameShape(QFrame::StyledPanel);
  auto* layout = new QFormLayout(this);
  layout->setRowWrapPolicy(QFormLayout::DontWrapRows);
  login_ = make_value(this);
  server_ = make_value(this);
  shared_ = make_value(this);
  transfers_ = make_value(this);
  download_speed_ = make_value(this);
  upload_speed_ = make_value(this);
  online_ = make_value(this);
  points_ = make_value(this);
  // The box shows the stored choice; a click asks the service, and the box
  // follows on the next refresh only when the service took the change.
  visibility_ = new QCheckBox(QString::fromUtf8("서버목록에 내서버 보이기"), this);
  connect(visibility_, &QCheckBox::clicked, this, [this](bool checked) {
    if (visibility_switched_) visibility_switched_(checked);
  });
  layout->addRow(QString::fromUtf8("로그인:"), login_);
  layout->addRow(QString::fromUtf8("공유서버:"), server_);
  layout->addRow(QString::fromUtf8("공유:"), shared_);
  layout->addRow(QString::fromUtf8("전송:"), transfers_);
  layout->addRow(QString::fromUtf8("받기:"), download_speed_);
  layout->addRow(QString::fromUtf8("주기:"), upload_speed_);
  layout->addRow(QString::fromUtf8("접속자:"), online_);
  layout->addRow(points_);
  layout->addRow(visibility_);
  show_status({});
  show_transfer_figures(QStringLiteral("0.0K (0)"), QStringLiteral("0.0K (0)"));
}

void StatusPanel::show_status(const mainframe::HubStatus& status) {
  login_->setText(status.logged_in ? QString::fromStdString(status.user_id) : QString::fromUtf8("로그인 안됨"));
  server_->setText(server_state(status));
  shared_->setText(QString::fromUtf8("%1개 파일, %2 MB").arg(status.shared_files).arg(status.shared_mib));
  transfers_->setText(QString::fromUtf8("업로드 %1개, 다운로드 %2개").arg(status.running_uploads).arg(status.running_downloads));
  visibility_->setChecked(status.server_shown);
  visibility_->setEnabled(status.registered && static_cast<bool>(visibility_switched_));
}

void StatusPanel::show_transfer_figures(const QString& download, const QString& upload) {
  download_speed_->setText(download);
  upload_speed_->setText(upload);
}

void StatusPanel::show_point_balance(const QString& lines) {
  QString text = lines;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  points_->setText(text.trimmed());
}

void StatusPanel::show_online_count(uint32_t users) { online_->setText(QString::fromUtf8("%1명").arg(users)); }

StatusLogView::StatusLogView(mainframe::StatusLog* log, QWidget* parent) : QPlainTextEdit(parent), log_(log) {
  setReadOnly(true);
  setMaximumBlockCount(kKeptLogLines);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  refresh();
}

void StatusLogView::refresh() {
  if (log_ == nullptr) return;
  mainframe::StatusLog::Lines lines = log_->since(next_);
  next_ = lines.next;
  if (lines.lines.empty()) return;
  QScrollBar* bar = verticalScrollBar();
  const bool at_bottom = bar->value() == bar->maximum();
  for (const std::string& line : lines.lines) appendPlainText(QString::fromStdString(line));
  if (at_bottom) bar->setValue(bar->maximum());
}

}  // namespace dovel::ui
