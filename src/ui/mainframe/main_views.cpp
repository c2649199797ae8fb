#include "ui/mainframe/main_views.h"

#include <QHeaderView>
#include <QVBoxLayout>

#include "platform/socket.h"
#include "util/string_printf.h"

namespace dovel::ui {
namespace {

QString text_of(const std::string& text) { return QString::fromStdString(text); }

QTreeWidget* make_list(const QStringList& headers, QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setHeaderLabels(headers);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  return list;
}

QLabel* make_header(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QString kib_text(int64_t bytes) { return QString::fromStdString(util::string_printf("%lld K", static_cast<long long>(bytes / 1024))); }

}  // namespace

void fill_rows(QTreeWidget& list, const std::vector<QStringList>& rows) {
  const int wanted = static_cast<int>(rows.size());
  while (list.topLevelItemCount() > wanted) delete list.takeTopLevelItem(list.topLevelItemCount() - 1);
  while (list.topLevelItemCount() < wanted) list.addTopLevelItem(new QTreeWidgetItem);
  for (int row = 0; row < wanted; ++row) {
    QTreeWidgetItem* item = list.topLevelItem(row);
    const QStringList& texts = rows[static_cast<size_t>(row)];
    for (int column = 0; column < texts.size(); ++column) {
      if (item->text(column) != texts[column]) item->setText(column, texts[column]);
    }
  }
}

HomeView::HomeView(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(QString::fromUtf8("Dovel 홈페이지\n\n홈 화면은 다음 판에서 열립니다."), this);
  note->setAlignment(Qt::AlignCenter);
  layout->addWidget(note);
}

ServerListView::ServerListView(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  header_ = make_header(this);
  list_ = make_list({QString::fromUtf8("제목"), QString::fromUtf8("아이디"), QString::fromUtf8("채널"),
                     QString::fromUtf8("공유(MB)"), QString::fromUtf8("파일수"), QString::fromUtf8("주소")},
                    this);
  layout->addWidget(header_);
  layout->addWidget(list_);
}

void ServerListView::show_lists(const service::ServerLists& lists) {
  header_->setText(text_of(service::server_list_header(lists)));
  std::vector<QStringList> rows;
  for (size_t channel = 0; channel < lists.channels.size(); ++channel) {
    if (!lists.channels[channel]) continue;
    for (const service::ListedServer& server : *lists.channels[channel]) {
      rows.push_back({text_of(server.title), text_of(server.user_id), QString::number(channel + 1),
                      QString::number(server.shared_mib), QString::number(server.shared_files),
                      text_of(platform::format_ipv4(server.address)) + ':' + QString::number(server.port)});
    }
  }
  fill_rows(*list_, rows);
}

SearchView::SearchView(std::function<std::optional<search::ResultSnapshot>()> results, QWidget* parent)
    : QWidget(parent), results_(std::move(results)) {
  auto* layout = new QVBoxLayout(this);
  header_ = make_header(this);
  list_ = make_list({QString::fromUtf8("파일"), QString::fromUtf8("크기"), QString::fromUtf8("종류"), QString::fromUtf8("소스")}, this);
  layout->addWidget(header_);
  layout->addWidget(list_);
  refresh();
}

void SearchView::refresh() {
  const std::optional<search::ResultSnapshot> results = results_ ? results_() : std::nullopt;
  if (!results) {
    header_->setText(QString::fromUtf8("검색 결과가 없습니다."));
    fill_rows(*list_, {});
    return;
  }
  header_->setText(QString::fromUtf8("검색 %1: %2개").arg(results->number).arg(results->rows.size()));
  std::vector<QStringList> rows;
  rows.reserve(results->rows.size());
  for (const search::ResultRow& row : results->rows) {
    rows.push_back({text_of(row.name), row.file_type == 1 ? kib_text(row.size) : QString(),
                    row.file_type == 1 ? QString::fromUtf8("파일") : QString::fromUtf8("폴더"), QString::number(row.sources.size())});
  }
  fill_rows(*list_, rows);
}

BrowseView::BrowseView(std::function<browse::BrowserSnapshot()> snapshot, QWidget* parent)
    : QWidget(parent), snapshot_(std::move(snapshot)) {
  auto* layout = new QVBoxLayout(this);
  header_ = make_header(this);
  list_ = make_list({QString::fromUtf8("파일"), QString::fromUtf8("크기"), QString::fromUtf8("시간"), QString::fromUtf8("권한")}, this);
  layout->addWidget(header_);
  layout->addWidget(list_);
  refresh();
}

void BrowseView::refresh() {
  if (!snapshot_) {
    header_->setText(QString::fromUtf8("탐색 중인 서버가 없습니다."));
    return;
  }
  const browse::BrowserSnapshot snapshot = snapshot_();
  if (!snapshot.session_running) {
    header_->setText(QString::fromUtf8("탐색 중인 서버가 없습니다."));
  } else {
    header_->setText(text_of(snapshot.title) + QStringLiteral("  /") + text_of(snapshot.current_path));
  }
  std::vector<QStringList> rows;
  rows.reserve(snapshot.rows.size());
  for (const browse::ListingRow& row : snapshot.rows) {
    rows.push_back({text_of(row.shown_name), text_of(row.size_text), text_of(row.time_text), text_of(row.attribute_text)});
  }
  fill_rows(*list_, rows);
}

TransfersView::TransfersView(std::function<std::vector<download::ListRow>()> downloads,
                             std::function<mainframe::HubStatus()> hub_status, QWidget* upload_monitor, QWidget* parent)
    : QWidget(parent), downloads_(std::move(downloads)), hub_status_(std::move(hub_status)) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromUtf8("다운로드"), this));
  download_list_ = make_list({QString::fromUtf8("파일"), QString::fromUtf8("상태"), QString::fromUtf8("다운수"),
                              QString::fromUtf8("총크기"), QString::fromUtf8("현재"), QString::fromUtf8("비율"),
                              QString::fromUtf8("평균속도"), QString::fromUtf8("순간속도"), QString::fromUtf8("남은시간"),
                              QString::fromUtf8("비고")},
                             this);
  layout->addWidget(download_list_, 3);
  layout->addWidget(new QLabel(QString::fromUtf8("업로드"), this));
  if (upload_monitor != nullptr) {
    // The monitor's own controls sit below its lists: it gets the downloads' height.
    upload_monitor->setParent(this);
    layout->addWidget(upload_monitor, 3);
  } else {
    upload_list_ = make_list({QString::fromUtf8("사용자"), QString::fromUtf8("파일"), QString::fromUtf8("요청크기"),
                              QString::fromUtf8("보낸크기"), QString::fromUtf8("속도"), QString::fromUtf8("남은시간")},
                             this);
    layout->addWidget(upload_list_, 2);
  }
  refresh();
}

void TransfersView::refresh() {
  std::vector<QStringList> rows;
  if (downloads_) {
    for (const download::ListRow& row : downloads_()) {
      const download::ItemTexts& texts = row.texts;
      rows.push_back({text_of(row.item.file_name), text_of(texts.state), text_of(texts.connections), text_of(texts.size),
                      text_of(texts.received), text_of(texts.percent_text), text_of(texts.average_speed),
                      text_of(texts.current_speed), text_of(texts.remaining_time), text_of(texts.status)});
    }
  }
  fill_rows(*download_list_, rows);
  if (upload_list_ == nullptr) return;
  rows.clear();
  if (hub_status_) {
    for (const server::UploadRow& upload : hub_status_().uploads) {
      rows.push_back({text_of(upload.nickname), text_of(upload.file_name), text_of(upload.requested), text_of(upload.sent),
                      text_of(upload.speed), text_of(upload.remaining)});
    }
  }
  fill_rows(*upload_list_, rows);
}

}  // namespace dovel::ui
