#include "ui/browse/connect_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QStackedWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

#include "base/text.h"
#include "browse/address_history.h"
#include "browse/peer_pages.h"
#include "settings/setting_table.h"
#include "ui/browse/browse_list_model.h"
#include "ui/browse/intro_browser.h"

namespace dovel::ui {
namespace {

constexpr int kMinimumNameWidth = 50;
constexpr int kSortChoices = 4;  // the columns the sort box offers: 파일, 크기, 시간, 권한
static_assert(settings::kRemoteListSort.range->count() == kSortChoices);

QString qt_text(const std::string& text) { return QString::fromStdString(text); }

QString link_html(const std::string& url) {
  const QString escaped = qt_text(url).toHtmlEscaped();
  return QStringLiteral("<a href=\"%1\">%1</a>").arg(escaped);
}

// Links in a peer's own page may only lead to web pages, never to local files.
bool web_link(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool same_intro(const browse::PeerIntro& a, const browse::PeerIntro& b) {
  return a.kind == b.kind && a.url == b.url && a.page == b.page;
}

}  // namespace

PasswordPrompt password_dialog_prompt() {
  return [](QWidget* parent) -> std::optional<QString> {
    bool ok = false;
    const QString password = QInputDialog::getText(parent, QStringLiteral("폴더 암호"), QStringLiteral("폴더의 암호를 입력하세요."),
                                                   QLineEdit::Password, QString(), &ok);
    if (!ok) return std::nullopt;
    return password;
  };
}

CConnectDialog::CConnectDialog(BrowseCommands commands, MessageSink& messages, QWidget* parent)
    : QWidget(parent),
      commands_(std::move(commands)),
      messages_(messages),
      password_prompt_(password_dialog_prompt()),
      sub_folder_prompt_(sub_folder_dialog_prompt(messages)),
      model_(new BrowseListModel(this)),
      connect_box_(new QComboBox(this)),
      connect_button_(new QPushButton(QStringLiteral("접속"), this)),
      path_box_(new QLineEdit(this)),
      title_(new QLabel(this)),
      speed_(new QLabel(this)),
      transfers_(new QLabel(this)),
      list_(new QTreeView(this)),
      sort_box_(new QComboBox(this)),
      move_to_download_(new QCheckBox(QStringLiteral("다운로드 요청 후 다운로드창으로 이동"), this)),
      up_(new QPushButton(this)),
      folder_download_(new QPushButton(QStringLiteral("폴더 다운로드"), this)),
      reconnect_(new QPushButton(QStringLiteral("재접속"), this)),
      close_(new QPushButton(QStringLiteral("접속종료"), this)),
      intro_choice_(new QRadioButton(QStringLiteral("소개글"), this)),
      home_page_choice_(new QRadioButton(QStringLiteral("홈피"), this)),
      pane_choices_(new QButtonGroup(this)),
      pane_area_box_(new QCheckBox(QStringLiteral("소개창 보기"), this)),
      no_script_(new QCheckBox(QStringLiteral("스크립트 실행 안함"), this)),
      no_new_window_(new QCheckBox(QStringLiteral("새창 열지 않음"), this)),
      pane_area_(new QWidget(this)),
      panes_(new QStackedWidget(pane_area_)),
      intro_(new IntroBrowser(panes_)),
      home_page_(new QLabel(panes_)) {
  configure_list();
  make_pane_area();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(make_connect_row());
  layout->addLayout(make_status_row());
  layout->addWidget(list_, 3);
  layout->addLayout(make_button_row());
  layout->addLayout(make_option_row());
  layout->addLayout(make_pane_choice_row());
  layout->addWidget(pane_area_, 2);
  setMinimumSize(560, 420);

  read_stored_choices();
  connect_signals();
  refresh();
}

QLayout* CConnectDialog::make_connect_row() {
  connect_box_->setEditable(true);
  connect_box_->setInsertPolicy(QComboBox::NoInsert);
  connect_box_->setMinimumContentsLength(14);
  connect_button_->setEnabled(static_cast<bool>(commands_.explore_user));
  connect_box_->lineEdit()->installEventFilter(this);
  path_box_->setReadOnly(true);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("아이디:"), this));
  row->addWidget(connect_box_);
  row->addWidget(connect_button_);
  row->addSpacing(12);
  row->addWidget(new QLabel(QStringLiteral("경로:"), this));
  row->addWidget(path_box_, 1);
  return row;
}

QLayout* CConnectDialog::make_status_row() {
  title_->setTextFormat(Qt::PlainText);
  speed_->setTextFormat(Qt::PlainText);
  transfers_->setTextFormat(Qt::PlainText);
  auto* row = new QHBoxLayout;
  row->addWidget(title_, 1);
  row->addWidget(speed_);
  row->addSpacing(12);
  row->addWidget(transfers_);
  return row;
}

QLayout* CConnectDialog::make_button_row() {
  for (int column = 0; column < kSortChoices; ++column) {
    sort_box_->addItem(model_->headerData(column, Qt::Horizontal).toString());
  }
  reconnect_->setEnabled(static_cast<bool>(commands_.reconnect));
  auto* row = new QHBoxLayout;
  row->addWidget(up_);
  row->addWidget(folder_download_);
  row->addWidget(reconnect_);
  row->addWidget(close_);
  row->addStretch();
  row->addWidget(new QLabel(QStringLiteral("정렬:"), this));
  row->addWidget(sort_box_);
  return row;
}

QLayout* CConnectDialog::make_option_row() {
  auto* row = new QHBoxLayout;
  row->addWidget(move_to_download_);
  row->addStretch();
  row->addWidget(no_script_);
  row->addWidget(no_new_window_);
  return row;
}

QLayout* CConnectDialog::make_pane_choice_row() {
  pane_choices_->addButton(intro_choice_, static_cast<int>(Pane::Intro));
  pane_choices_->addButton(home_page_choice_, static_cast<int>(Pane::HomePage));
  intro_choice_->setChecked(true);
  auto* row = new QHBoxLayout;
  row->addWidget(intro_choice_);
  row->addWidget(home_page_choice_);
  row->addSpacing(12);
  row->addWidget(pane_area_box_);
  row->addStretch();
  return row;
}

void CConnectDialog::make_pane_area() {
  home_page_->setTextFormat(Qt::RichText);
  home_page_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  home_page_->setOpenExternalLinks(false);
  home_page_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  home_page_->setWordWrap(true);
  home_page_->setMargin(6);
  panes_->addWidget(intro_);
  panes_->addWidget(home_page_);
  auto* layout = new QVBoxLayout(pane_area_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panes_);
  pane_area_->setMinimumHeight(120);
}

void CConnectDialog::configure_list() {
  list_->setModel(model_);
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  list_->header()->setStretchLastSection(false);
  list_->setColumnWidth(BrowseListModel::kNameColumn, kNameWidth);
  list_->setColumnWidth(BrowseListModel::kSizeColumn, kSizeWidth);
  list_->setColumnWidth(BrowseListModel::kTimeColumn, kTimeWidth);
  for (int column = 0; column < BrowseListModel::kColumnCount; ++column) {
    list_->setColumnHidden(column, column >= kVisibleColumns);
  }
  list_->installEventFilter(this);
  list_->viewport()->installEventFilter(this);
}

bool CConnectDialog::stored_flag(const settings::FlagSetting& row) const {
  return commands_.values != nullptr ? commands_.values->read(row) : row.on_load;
}

int CConnectDialog::stored_number(const settings::ProfileSetting& row) const {
  return commands_.values != nullptr ? commands_.values->read(row) : row.on_load;
}

void CConnectDialog::store_flag(const settings::FlagSetting& row, bool value) {
  if (commands_.values != nullptr) commands_.values->write(row, value);
}

void CConnectDialog::read_stored_choices() {
  sort_box_->setCurrentIndex(stored_number(settings::kRemoteListSort));
  no_script_->setChecked(stored_flag(settings::kIntroNoScript));
  no_new_window_->setChecked(stored_flag(settings::kNoNewWindow));
  const bool move = stored_flag(settings::kExploreAutoMoveDownload);
  move_to_download_->setChecked(move);
  // The core keeps its own copy of the choice; both follow the stored value.
  if (commands_.snapshot && commands_.set_move_to_download_tab && commands_.snapshot().move_to_download_tab != move) {
    commands_.set_move_to_download_tab(move);
  }
  const bool panes_shown = stored_number(settings::kConnectViewIntro) != 0;
  pane_area_box_->setChecked(panes_shown);
  pane_area_->setVisible(panes_shown);
}

void CConnectDialog::connect_signals() {
  connect(connect_button_, &QPushButton::clicked, this, &CConnectDialog::connect_to_typed_id);
  connect(connect_box_, &QComboBox::activated, this, &CConnectDialog::history_chosen);
  connect(list_, &QAbstractItemView::activated, this, [this](const QModelIndex& index) {
    if (index.isValid()) open_row(index.row());
  });
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    touch();
    if (!list_->indexAt(at).isValid()) return;
    QMenu* menu = list_menu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(list_->viewport()->mapToGlobal(at));
  });
  connect(sort_box_, &QComboBox::currentIndexChanged, this, &CConnectDialog::sort_chosen);
  connect(move_to_download_, &QCheckBox::clicked, this, [this](bool move) {
    if (commands_.set_move_to_download_tab) commands_.set_move_to_download_tab(move);
  });
  connect(up_, &QPushButton::clicked, this, &CConnectDialog::go_up);
  connect(folder_download_, &QPushButton::clicked, this, &CConnectDialog::download_current_folder);
  connect(reconnect_, &QPushButton::clicked, this, &CConnectDialog::reconnect);
  connect(close_, &QPushButton::clicked, this, &CConnectDialog::close_session);
  connect(pane_choices_, &QButtonGroup::idClicked, this, [this](int id) { choose_pane(static_cast<Pane>(id)); });
  connect(pane_area_box_, &QCheckBox::toggled, pane_area_, &QWidget::setVisible);
  connect(no_script_, &QCheckBox::clicked, this, [this](bool on) {
    store_flag(settings::kIntroNoScript, on);
    shown_intro_.reset();
    show_intro(snapshot_.intro);
  });
  connect(no_new_window_, &QCheckBox::clicked, this, [this](bool on) { store_flag(settings::kNoNewWindow, on); });
  connect(intro_, &QTextBrowser::anchorClicked, this, &CConnectDialog::intro_link_clicked);
  connect(home_page_, &QLabel::linkActivated, this, [this](const QString&) {
    if (commands_.open_browser && !snapshot_.home_page_url.empty()) commands_.open_browser(snapshot_.home_page_url);
  });
}

// --- Showing the snapshot ----------------------------------------------------------

void CConnectDialog::refresh() { show_snapshot(commands_.snapshot ? commands_.snapshot() : browse::BrowserSnapshot{}); }

void CConnectDialog::show_snapshot(const browse::BrowserSnapshot& snapshot) {
  snapshot_ = snapshot;
  show_history(snapshot.history);
  if (snapshot.session_running) {
    model_->set_snapshot(snapshot);
    path_box_->setText(qt_text(snapshot.current_path));
    show_intro(snapshot.intro);
    show_home_page(snapshot.home_page_url);
  } else {
    list_->clearSelection();
    model_->set_rows({});
    path_box_->clear();
    clear_panes();
  }
  QString title = qt_text(snapshot.title);
  if (snapshot.session_running && snapshot.peer_level >= 1 && snapshot.peer_level <= 9) {
    title += QStringLiteral("  (레벨 %1)").arg(snapshot.peer_level);
  }
  title_->setText(title);
  speed_->setText(qt_text(snapshot.speed_line));
  transfers_->setText(qt_text(snapshot.transfers_line));
  up_->setText(qt_text(snapshot.up_text.empty() ? std::string("이전 탭") : snapshot.up_text));
  enable_controls(snapshot);
}

void CConnectDialog::enable_controls(const browse::BrowserSnapshot& snapshot) {
  const bool running = snapshot.session_running;
  list_->setEnabled(running);
  up_->setEnabled(running && snapshot.up_enabled && static_cast<bool>(commands_.open_entry));
  folder_download_->setEnabled(running && snapshot.connected && static_cast<bool>(commands_.request_folder_download));
  close_->setEnabled(running && static_cast<bool>(commands_.stop_session));
}

void CConnectDialog::show_history(const std::vector<std::string>& history) {
  if (history == shown_history_) return;
  shown_history_ = history;
  const QString typed = connect_box_->currentText();
  const QSignalBlocker blocker(connect_box_);
  connect_box_->clear();
  for (const std::string& id : history) connect_box_->addItem(qt_text(id));
  connect_box_->setEditText(typed == QString::fromUtf8(browse::kClearHistoryEntry.data(), browse::kClearHistoryEntry.size())
                                ? QString()
                                : typed);
}

void CConnectDialog::show_intro(const browse::PeerIntro& intro) {
  const bool neutralise = no_script_->isChecked();
  if (shown_intro_ && same_intro(*shown_intro_, intro) && intro_neutralised_ == neutralise) return;
  shown_intro_ = intro;
  intro_neutralised_ = neutralise;
  switch (intro.kind) {
    case browse::PeerIntro::Kind::None: intro_->clear(); break;
    case browse::PeerIntro::Kind::WebAddress: intro_->setHtml(link_html(intro.url)); break;
    // The core disarms the page when the setting asks; doing it again here
    // also covers a page that arrived before the box was checked.
    case browse::PeerIntro::Kind::Page:
      intro_->setHtml(qt_text(neutralise ? browse::neutralised_intro(intro.page) : intro.page));
      break;
  }
}

void CConnectDialog::show_home_page(const std::string& url) {
  home_page_->setText(url.empty() ? QString() : link_html(url));
}

void CConnectDialog::clear_panes() {
  shown_intro_.reset();
  intro_->clear();
  home_page_->clear();
}

void CConnectDialog::choose_pane(Pane pane) {
  panes_->setCurrentIndex(static_cast<int>(pane));
  pane_area_box_->setChecked(true);
}

void CConnectDialog::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  fit_name_column();
}

void CConnectDialog::fit_name_column() {
  list_->setColumnWidth(BrowseListModel::kNameColumn, std::max(kMinimumNameWidth, width() - kWidthBesideName));
}

// --- User actions ---------------------------------------------------------------------

bool CConnectDialog::eventFilter(QObject* watched, QEvent* event) {
  // The box hands a key its line edit ignores back to the line edit, so Enter
  // is taken here once rather than through returnPressed.
  if (watched == connect_box_->lineEdit() && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      connect_to_typed_id();
      return true;
    }
  }
  if (watched == list_ || watched == list_->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::Wheel: touch(); break;
      default: break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void CConnectDialog::touch() {
  if (commands_.touch) commands_.touch();
}

void CConnectDialog::connect_to_typed_id() {
  const std::string id(base::trim(connect_box_->currentText().toStdString()));
  if (id == browse::kClearHistoryEntry) {
    clear_history();
    return;
  }
  if (id.empty() || !commands_.explore_user) return;
  commands_.explore_user(id, browse::kNoOrigin);
  refresh();
  connect_box_->setEditText(qt_text(id));
}

void CConnectDialog::history_chosen(int index) {
  if (index >= 0 && connect_box_->itemText(index).toStdString() == browse::kClearHistoryEntry) clear_history();
}

void CConnectDialog::clear_history() {
  if (commands_.clear_history) commands_.clear_history();
  connect_box_->setEditText(QString());
  refresh();
  connect_box_->setEditText(QString());
}

void CConnectDialog::sort_chosen(int index) {
  if (index < 0) return;
  touch();
  if (commands_.set_sort) commands_.set_sort(index);
  refresh();
}

void CConnectDialog::intro_link_clicked(const QUrl& url) {
  if (!commands_.open_browser || !shown_intro_) return;
  // An address the peer gave is what this pane would have shown: the user
  // opening it is no new window of the page's own.
  if (shown_intro_->kind == browse::PeerIntro::Kind::WebAddress) {
    commands_.open_browser(shown_intro_->url);
    return;
  }
  if (no_new_window_->isChecked() || !web_link(url)) return;
  commands_.open_browser(url.toString().toStdString());
}

void CConnectDialog::go_up() {
  touch();
  if (commands_.open_entry) commands_.open_entry("..", {});
  refresh();
}

void CConnectDialog::download_current_folder() {
  touch();
  if (commands_.request_folder_download) commands_.request_folder_download(std::string());
}

void CConnectDialog::reconnect() {
  touch();
  if (commands_.reconnect) commands_.reconnect();
  refresh();
}

void CConnectDialog::close_session() {
  if (commands_.stop_session) commands_.stop_session();
  refresh();
}

std::optional<std::string> CConnectDialog::ask_folder_password() {
  if (!password_prompt_) return std::nullopt;
  std::optional<QString> password = password_prompt_(this);
  if (!password) return std::nullopt;
  return password->toStdString();
}

// --- The list's rows and commands --------------------------------------------------------

std::vector<browse::ListingRow> CConnectDialog::selected_rows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows()) rows.push_back(index.row());
  if (rows.empty() && list_->currentIndex().isValid()) rows.push_back(list_->currentIndex().row());
  std::sort(rows.begin(), rows.end());
  std::vector<browse::ListingRow> selected;
  for (int row : rows) selected.push_back(model_->row_at(row));
  return selected;
}

std::optional<browse::ListingRow> CConnectDialog::current_row() const {
  const QModelIndex current = list_->currentIndex();
  if (!current.isValid()) return std::nullopt;
  return model_->row_at(current.row());
}

std::vector<std::string> CConnectDialog::selected_file_names() const {
  std::vector<std::string> names;
  for (const browse::ListingRow& row : selected_rows()) {
    if (row.is_file()) names.push_back(row.name);
  }
  return names;
}

void CConnectDialog::open_row(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  touch();
  const browse::ListingRow opened = model_->row_at(row);
  if (opened.is_file()) {
    std::vector<std::string> names = selected_file_names();
    if (std::find(names.begin(), names.end(), opened.name) == names.end()) names = {opened.name};
    if (commands_.request_downloads) commands_.request_downloads(names, std::string());
    return;
  }
  if (commands_.open_entry) commands_.open_entry(opened.name, {});
  refresh();
}

void CConnectDialog::download_selected(bool ask_sub_folder) {
  touch();
  const std::vector<std::string> names = selected_file_names();
  if (names.empty() || !commands_.request_downloads) return;
  std::string sub_folder;
  if (ask_sub_folder) {
    if (!sub_folder_prompt_) return;
    std::optional<QString> chosen = sub_folder_prompt_(this);
    if (!chosen) return;
    sub_folder = chosen->toStdString();
  }
  commands_.request_downloads(names, sub_folder);
}

void CConnectDialog::request_first_selected(const std::function<bool(const std::string&)>& request) {
  touch();
  for (const browse::ListingRow& row : selected_rows()) {
    if (!row.is_file()) continue;
    if (request) request(row.name);
    return;
  }
}

void CConnectDialog::explore_current() {
  touch();
  std::optional<browse::ListingRow> row = current_row();
  if (!row || row->is_file() || !commands_.open_entry) return;
  browse::OpenOptions options;
  options.explore_command = true;
  commands_.open_entry(row->name, options);
  refresh();
}

void CConnectDialog::download_current_as_folder() {
  touch();
  std::optional<browse::ListingRow> row = current_row();
  if (!row || row->kind != browse::kFolderKind || !commands_.request_folder_download) return;
  commands_.request_folder_download(row->name);
}

QMenu* CConnectDialog::list_menu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  const std::optional<browse::ListingRow> row = current_row();
  const bool usable = snapshot_.session_running && row.has_value();
  auto add = [&](const char* text, bool enabled, std::function<void()> command) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setEnabled(usable && enabled);
    connect(action, &QAction::triggered, this, std::move(command));
  };
  if (!row || row->is_file()) {
    const bool downloads = static_cast<bool>(commands_.request_downloads);
    add("다운로드(&D)", downloads, [this] { download_selected(false); });
    add("다운로드 - 하위폴더지정(&S)", downloads && static_cast<bool>(sub_folder_prompt_), [this] { download_selected(true); });
    add("파일정보 검색/등록(&F)", static_cast<bool>(commands_.request_file_info),
        [this] { request_first_selected(commands_.request_file_info); });
    add("파일링크복사(&L)", snapshot_.file_link_enabled && static_cast<bool>(commands_.request_file_link),
        [this] { request_first_selected(commands_.request_file_link); });
  } else {
    add("탐색(&E)", static_cast<bool>(commands_.open_entry), [this] { explore_current(); });
    add("폴더 다운로드(&D)", row->kind == browse::kFolderKind && static_cast<bool>(commands_.request_folder_download),
        [this] { download_current_as_folder(); });
  }
  return menu;
}

}  // namespace dovel::ui
