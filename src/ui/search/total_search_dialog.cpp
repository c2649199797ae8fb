#include "ui/search/total_search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "search/search_settings.h"
#include "ui/controls/message_sink.h"
#include "ui/mainframe/main_views.h"
#include "ui/search/search_dialog.h"

namespace dovel::ui {
namespace {

constexpr const char* kSendDelaySetting = "SendtoDelay";
constexpr const char* kAutoSortSetting = "AutoSort";
constexpr const char* kAutoMoveSetting = "SearchAutoMoveDownload";
constexpr const char* kExtensionSetting = "SearchFileExt";
constexpr const char* kKeywordsSetting = "SearchText";

QString qt_text(const std::string& text) { return QString::fromStdString(text); }

// A stored index, or the default when it is outside the box's items.
int index_within(uint32_t stored, int count, int fallback) {
  return stored < static_cast<uint32_t>(count) ? static_cast<int>(stored) : fallback;
}

}  // namespace

CTotalSearchDialog::CTotalSearchDialog(SearchCommands commands, MessageSink& messages, QWidget* parent)
    : QWidget(parent),
      commands_(std::move(commands)),
      messages_(messages),
      keyword_(new QComboBox(this)),
      extension_(new QComboBox(this)),
      search_button_(new QPushButton(QString::fromUtf8(kSearchText), this)),
      precision_(new QComboBox(this)),
      auto_sort_(new QComboBox(this)),
      auto_move_(new QCheckBox(QString::fromUtf8(kAutoMoveText), this)),
      refine_(new QCheckBox(QString::fromUtf8(kRefineText), this)),
      search_window_(new CSearchDialog(commands_, messages, this)) {
  keyword_->setEditable(true);
  keyword_->setInsertPolicy(QComboBox::NoInsert);
  keyword_->lineEdit()->setPlaceholderText(QString::fromUtf8(kKeywordHint));
  keyword_->setMinimumWidth(220);
  keyword_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  extension_->setEditable(true);
  extension_->setInsertPolicy(QComboBox::NoInsert);
  extension_->setMinimumWidth(80);
  for (const char* extension : kCommonExtensions) extension_->addItem(QString::fromUtf8(extension));
  for (int delay : search::kSendDelaysMs) precision_->addItem(QString::number(delay));
  for (const char* text : kAutoSortTexts) auto_sort_->addItem(QString::fromUtf8(text));
  search_button_->setDefault(true);
  load_settings();

  auto* bar = new QHBoxLayout;
  bar->addWidget(keyword_, 1);
  bar->addWidget(new QLabel(QString::fromUtf8(kExtensionLabel), this));
  bar->addWidget(extension_);
  bar->addWidget(search_button_);
  bar->addWidget(refine_);
  auto* choices = new QHBoxLayout;
  choices->addWidget(new QLabel(QString::fromUtf8(kPrecisionLabel), this));
  choices->addWidget(precision_);
  choices->addSpacing(12);
  choices->addWidget(new QLabel(QString::fromUtf8(kAutoSortLabel), this));
  choices->addWidget(auto_sort_);
  choices->addSpacing(12);
  choices->addWidget(auto_move_);
  choices->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addLayout(choices);
  layout->addWidget(search_window_, 1);

  connect(search_button_, &QPushButton::clicked, this, &CTotalSearchDialog::search);
  connect(keyword_->lineEdit(), &QLineEdit::returnPressed, this, &CTotalSearchDialog::search);
  connect(extension_->lineEdit(), &QLineEdit::returnPressed, this, &CTotalSearchDialog::search);
  connect(precision_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) store_number(kSendDelaySetting, static_cast<uint32_t>(index));
  });
  connect(auto_sort_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) store_number(kAutoSortSetting, static_cast<uint32_t>(index));
  });
  connect(auto_move_, &QCheckBox::toggled, this, [this](bool on) { store_number(kAutoMoveSetting, on ? 1 : 0); });
  connect(refine_, &QCheckBox::toggled, this, [this](bool on) {
    if (!on) search_window_->clear_refinements();
  });
  connect(search_window_, &CSearchDialog::busy_changed, this, &CTotalSearchDialog::show_busy);
  connect(search_window_, &CSearchDialog::search_started, this, &CTotalSearchDialog::remember);
  connect(search_window_, &CSearchDialog::downloads_queued, this, &CTotalSearchDialog::downloads_queued);
  show_busy(search_window_->busy());
}

void CTotalSearchDialog::search() {
  const std::string keyword = keyword_->currentText().toStdString();
  const std::string extension = extension_->currentText().toStdString();
  if (refine_->isChecked()) {
    std::optional<RefineFilter> filter = RefineFilter::of(keyword, extension);
    if (!filter) {
      messages_.inform(this, QString::fromUtf8(RefineFilter::kNothingTyped));
      return;
    }
    search_window_->refine_current(std::move(filter));
    return;
  }
  search::SearchRequest request;
  request.keyword = keyword;
  request.extension = extension;
  search_window_->start_search(request);
}

void CTotalSearchDialog::set_keyword(const QString& keyword) { keyword_->setEditText(keyword); }

void CTotalSearchDialog::refresh() { search_window_->refresh(); }

void CTotalSearchDialog::load_settings() {
  precision_->setCurrentIndex(
      index_within(stored_number(kSendDelaySetting, search::kDefaultSendDelayIndex), precision_->count(), search::kDefaultSendDelayIndex));
  auto_sort_->setCurrentIndex(
      index_within(stored_number(kAutoSortSetting, search::kDefaultAutoSortIndex), auto_sort_->count(), search::kDefaultAutoSortIndex));
  auto_move_->setChecked(stored_number(kAutoMoveSetting, 1) != 0);
  if (commands_.read_text) {
    history_ = KeywordHistory::from_stored(commands_.read_text(kKeywordsSetting));
    for (const std::string& entry : history_.entries()) keyword_->addItem(qt_text(entry));
    extension_->setEditText(qt_text(commands_.read_text(kExtensionSetting)));
  }
  keyword_->setEditText(QString());
}

void CTotalSearchDialog::remember(const search::SearchRequest& request) {
  history_.remember(request.keyword);
  const QString typed = keyword_->currentText();
  keyword_->clear();
  for (const std::string& entry : history_.entries()) keyword_->addItem(qt_text(entry));
  keyword_->setEditText(typed);
  if (!commands_.write_text) return;
  commands_.write_text(kKeywordsSetting, history_.stored());
  commands_.write_text(kExtensionSetting, request.extension);
}

void CTotalSearchDialog::show_busy(bool busy) {
  search_button_->setText(QString::fromUtf8(busy ? kSearchingText : kSearchText));
  for (QWidget* control : std::initializer_list<QWidget*>{keyword_, extension_, search_button_, precision_, auto_sort_, refine_}) {
    control->setEnabled(!busy);
  }
  search_button_->setEnabled(!busy && static_cast<bool>(commands_.start));
}

void CTotalSearchDialog::downloads_queued() {
  if (auto_move_->isChecked() && commands_.show_view) commands_.show_view(kViewTransferLists);
}

uint32_t CTotalSearchDialog::stored_number(const char* name, uint32_t fallback) const {
  return commands_.read_number ? commands_.read_number(name, fallback) : fallback;
}

void CTotalSearchDialog::store_number(const char* name, uint32_t value) const {
  if (commands_.write_number) commands_.write_number(name, value);
}

}  // namespace dovel::ui
