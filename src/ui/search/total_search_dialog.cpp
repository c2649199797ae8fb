#include "ui/search/total_search_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>

#include "search/search_settings.h"
#include "settings/setting_table.h"
#include "ui/controls/message_sink.h"
#include "ui/mainframe/main_views.h"
#include "ui/search/search_dialog.h"

namespace dovel::ui {
namespace {

static_assert(settings::kAutoSort.range->count() == static_cast<int>(std::size(CTotalSearchDialog::kAutoSortTexts)));

QString qt_text(const std::string& text) { return QString::fromStdString(text); }

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
    if (index >= 0) store(settings::kSendtoDelay, static_cast<uint32_t>(index));
  });
  connect(auto_sort_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) store(settings::kAutoSort, static_cast<uint32_t>(index));
  });
  connect(auto_move_, &QCheckBox::toggled, this, [this](bool on) { store(settings::kSearchAutoMoveDownload, on); });
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
  precision_->setCurrentIndex(static_cast<int>(stored_number(settings::kSendtoDelay)));
  auto_sort_->setCurrentIndex(static_cast<int>(stored_number(settings::kAutoSort)));
  auto_move_->setChecked(stored_flag(settings::kSearchAutoMoveDownload));
  if (commands_.values != nullptr) {
    history_ = KeywordHistory::from_stored(commands_.values->read(settings::kSearchText));
    for (const std::string& entry : history_.entries()) keyword_->addItem(qt_text(entry));
    extension_->setEditText(qt_text(commands_.values->read(settings::kSearchFileExt)));
  }
  keyword_->setEditText(QString());
}

void CTotalSearchDialog::remember(const search::SearchRequest& request) {
  history_.remember(request.keyword);
  const QString typed = keyword_->currentText();
  keyword_->clear();
  for (const std::string& entry : history_.entries()) keyword_->addItem(qt_text(entry));
  keyword_->setEditText(typed);
  store(settings::kSearchText, history_.stored());
  store(settings::kSearchFileExt, request.extension);
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

uint32_t CTotalSearchDialog::stored_number(const settings::NumberSetting& row) const {
  return commands_.values != nullptr ? commands_.values->read(row) : row.on_load;
}

bool CTotalSearchDialog::stored_flag(const settings::FlagSetting& row) const {
  return commands_.values != nullptr ? commands_.values->read(row) : row.on_load;
}

}  // namespace dovel::ui
