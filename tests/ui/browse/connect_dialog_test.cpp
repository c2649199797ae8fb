#include "ui/browse/connect_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QMouseEvent>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

#include "browse/listing.h"
#include "support/memory_window_values.h"
#include "ui/browse/browse_list_model.h"
#include "ui/browse/intro_browser.h"
#include "ui/recording_message_sink.h"

namespace dovel::ui {
namespace {

struct DownloadCall {
  std::vector<std::string> names;
  std::string sub_folder;
  bool operator==(const DownloadCall&) const = default;
};

struct OpenCall {
  std::string name;
  bool explore_command;
  bool operator==(const OpenCall&) const = default;
};

struct ExploreCall {
  std::string user_id;
  int origin;
  bool operator==(const ExploreCall&) const = default;
};

class ConnectDialogTest : public ::testing::Test {
 protected:
  ConnectDialogTest() {
    std::optional<browse::ListingPage> page = browse::parse_listing(
        "root\\Public\\music*D|..|0|0|1*D|albums|0|0|1*F|one.mp3|4096|0|1|*F|two.mp3|8192|0|1|*F|three.mp3|1|0|1|*"
        "F|four.mp3|0|0|1|*",
        {});
    snapshot.session_running = true;
    snapshot.connected = true;
    snapshot.current_path = page->current_path;
    snapshot.relative_path = page->relative_path;
    snapshot.rows = page->rows;
    snapshot.up_text = "상위폴더";
    snapshot.up_enabled = true;
    snapshot.title = "친구(friend)";
    snapshot.peer_id = "friend";
    snapshot.peer_level = 3;
    snapshot.speed_line = "속도(현재/제한): 10k/100";
    snapshot.transfers_line = "전송수(현재/최대): 1/5";
    snapshot.home_page_url = "http://www.dovel.test/client/hompy.html?q_id_userid=abc";
    snapshot.history = {"friend", "other", "-모두삭제-"};
  }

  BrowseCommands recording_commands() {
    BrowseCommands commands;
    commands.snapshot = [this] { return snapshot; };
    commands.explore_user = [this](const std::string& id, int origin) { explored.push_back({id, origin}); };
    commands.open_entry = [this](const std::string& name, const browse::OpenOptions& options) {
      opened.push_back({name, options.explore_command});
      return true;
    };
    commands.request_downloads = [this](const std::vector<std::string>& names, const std::string& sub_folder) {
      downloads.push_back({names, sub_folder});
      return names.size();
    };
    commands.request_file_info = [this](const std::string& name) {
      file_infos.push_back(name);
      return true;
    };
    commands.request_file_link = [this](const std::string& name) {
      file_links.push_back(name);
      return true;
    };
    commands.request_folder_download = [this](const std::string& name) {
      folder_downloads.push_back(name);
      return true;
    };
    commands.set_sort = [this](int column) { sorts.push_back(column); };
    commands.set_move_to_download_tab = [this](bool move) { moves.push_back(move); };
    commands.touch = [this] { ++touches; };
    commands.stop_session = [this] {
      ++stops;
      snapshot.session_running = false;
    };
    commands.reconnect = [this] { ++reconnects; };
    commands.clear_history = [this] {
      ++history_clears;
      snapshot.history = {"-모두삭제-"};
    };
    commands.values = &stored;
    commands.open_browser = [this](const std::string& url) {
      opened_pages.push_back(url);
      return true;
    };
    return commands;
  }

  std::unique_ptr<CConnectDialog> make_window() {
    auto window = std::make_unique<CConnectDialog>(recording_commands(), messages);
    window->resize(800, 600);
    window->show();
    QCoreApplication::processEvents();
    return window;
  }

  static int row_named(const CConnectDialog& window, const std::string& name) {
    for (int row = 0; row < window.model()->rowCount(); ++row) {
      if (window.model()->row_at(row).name == name) return row;
    }
    ADD_FAILURE() << "no row " << name;
    return -1;
  }

  static void select(CConnectDialog& window, const std::vector<std::string>& names) {
    QItemSelectionModel* selection = window.list()->selectionModel();
    selection->clearSelection();
    for (const std::string& name : names) {
      const QModelIndex index = window.model()->index(row_named(window, name), 0);
      selection->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
      selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    }
  }

  static QAction* action(QMenu& menu, const std::string& text) {
    for (QAction* candidate : menu.actions()) {
      if (candidate->text().toStdString() == text) return candidate;
    }
    return nullptr;
  }

  static std::vector<std::string> action_texts(QMenu& menu) {
    std::vector<std::string> texts;
    for (QAction* candidate : menu.actions()) texts.push_back(candidate->text().toStdString());
    return texts;
  }

  static QPoint center_of(CConnectDialog& window, const std::string& name) {
    return window.list()->visualRect(window.model()->index(row_named(window, name), 0)).center();
  }

  // The events a real double click brings: press, release, double click, release.
  static void double_click(CConnectDialog& window, const std::string& name) {
    QWidget* viewport = window.list()->viewport();
    const QPointF at = center_of(window, name);
    const QPointF global = viewport->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
      const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
      QMouseEvent event(type, at, global, Qt::LeftButton, held, Qt::NoModifier);
      QApplication::sendEvent(viewport, &event);
    }
  }

  browse::BrowserSnapshot snapshot;
  dovel::test::MemoryWindowValues stored;
  test::RecordingMessageSink messages;
  std::vector<ExploreCall> explored;
  std::vector<OpenCall> opened;
  std::vector<DownloadCall> downloads;
  std::vector<std::string> file_infos;
  std::vector<std::string> file_links;
  std::vector<std::string> folder_downloads;
  std::vector<int> sorts;
  std::vector<bool> moves;
  std::vector<std::string> opened_pages;
  int touches = 0;
  int stops = 0;
  int reconnects = 0;
  int history_clears = 0;
};

TEST_F(ConnectDialogTest, ListShowsThreeColumnsWithTheirWidthsAndKeepsTheOthersHidden) {
  auto window = make_window();
  QTreeView* list = window->list();
  for (int column = 0; column < 10; ++column) EXPECT_EQ(list->isColumnHidden(column), column >= 3) << column;
  EXPECT_EQ(list->model()->columnCount(), 10);
  EXPECT_EQ(list->columnWidth(1), 100);
  EXPECT_EQ(list->columnWidth(2), 90);
  EXPECT_EQ(list->columnWidth(0), window->width() - 220) << "the name column follows the window";
  window->resize(1000, 600);
  QCoreApplication::processEvents();
  EXPECT_EQ(list->columnWidth(0), 1000 - 220);
  EXPECT_EQ(window->model()->rowCount(), 6);
  EXPECT_EQ(window->path_box()->text().toStdString(), "\\Public\\music");
}

TEST_F(ConnectDialogTest, DownloadOfThreeSelectedFilesIsOneRequestWithTheirNames) {
  auto window = make_window();
  select(*window, {"one.mp3", "two.mp3", "three.mp3"});
  std::unique_ptr<QMenu> menu(window->list_menu(nullptr));
  EXPECT_EQ(action_texts(*menu), (std::vector<std::string>{"다운로드(&D)", "다운로드 - 하위폴더지정(&S)", "파일정보 검색/등록(&F)", "파일링크복사(&L)"}));
  QAction* download = action(*menu, "다운로드(&D)");
  ASSERT_NE(download, nullptr);
  ASSERT_TRUE(download->isEnabled());
  download->trigger();
  ASSERT_EQ(downloads.size(), 1u);
  EXPECT_EQ(downloads.front(), (DownloadCall{{"one.mp3", "two.mp3", "three.mp3"}, ""}));
  EXPECT_GT(touches, 0);
}

TEST_F(ConnectDialogTest, DownloadIntoASubFolderAsksForItAndCancelSendsNothing) {
  auto window = make_window();
  select(*window, {"two.mp3", "albums", "four.mp3"});
  window->set_sub_folder_prompt([](QWidget*) { return std::optional<QString>(QStringLiteral("새 앨범")); });
  std::unique_ptr<QMenu> menu(window->list_menu(nullptr));
  action(*menu, "다운로드 - 하위폴더지정(&S)")->trigger();
  ASSERT_EQ(downloads.size(), 1u);
  EXPECT_EQ(downloads.front(), (DownloadCall{{"two.mp3", "four.mp3"}, "새 앨범"})) << "folders are not downloaded as files";

  window->set_sub_folder_prompt([](QWidget*) { return std::optional<QString>(); });
  std::unique_ptr<QMenu> again(window->list_menu(nullptr));
  action(*again, "다운로드 - 하위폴더지정(&S)")->trigger();
  EXPECT_EQ(downloads.size(), 1u) << "cancelled";
}

TEST_F(ConnectDialogTest, FileInformationAndLinkAskForTheFirstSelectedFile) {
  snapshot.file_link_enabled = true;
  auto window = make_window();
  select(*window, {"two.mp3", "three.mp3"});
  std::unique_ptr<QMenu> menu(window->list_menu(nullptr));
  action(*menu, "파일정보 검색/등록(&F)")->trigger();
  action(*menu, "파일링크복사(&L)")->trigger();
  EXPECT_EQ(file_infos, std::vector<std::string>{"two.mp3"});
  EXPECT_EQ(file_links, std::vector<std::string>{"two.mp3"});
}

TEST_F(ConnectDialogTest, FileLinkCommandIsEnabledOnlyWhenTheServerCanAnswerIt) {
  for (bool enabled : {false, true}) {
    snapshot.file_link_enabled = enabled;
    auto window = make_window();
    select(*window, {"one.mp3"});
    std::unique_ptr<QMenu> menu(window->list_menu(nullptr));
    QAction* link = action(*menu, "파일링크복사(&L)");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->isEnabled(), enabled);
    EXPECT_TRUE(action(*menu, "다운로드(&D)")->isEnabled());
  }
}

TEST_F(ConnectDialogTest, FolderMenuExploresWithoutPromptingAndDownloadsTheFolder) {
  auto window = make_window();
  select(*window, {"albums"});
  std::unique_ptr<QMenu> menu(window->list_menu(nullptr));
  EXPECT_EQ(action_texts(*menu), (std::vector<std::string>{"탐색(&E)", "폴더 다운로드(&D)"}));
  action(*menu, "탐색(&E)")->trigger();
  action(*menu, "폴더 다운로드(&D)")->trigger();
  EXPECT_EQ(opened, (std::vector<OpenCall>{{"albums", true}}));
  EXPECT_EQ(folder_downloads, std::vector<std::string>{"albums"});

  select(*window, {".."});
  std::unique_ptr<QMenu> parent_menu(window->list_menu(nullptr));
  EXPECT_TRUE(action(*parent_menu, "탐색(&E)")->isEnabled());
  EXPECT_FALSE(action(*parent_menu, "폴더 다운로드(&D)")->isEnabled()) << "only a folder of the listing";
}

TEST_F(ConnectDialogTest, DoubleClickOrEnterOpensAFolderAndQueuesAFile) {
  auto window = make_window();
  const int touched_before = touches;
  double_click(*window, "albums");
  EXPECT_EQ(opened, (std::vector<OpenCall>{{"albums", false}}));
  EXPECT_GT(touches, touched_before) << "a click in the list restarts the idle timer";

  double_click(*window, "two.mp3");
  ASSERT_EQ(downloads.size(), 1u);
  EXPECT_EQ(downloads.front(), (DownloadCall{{"two.mp3"}, ""}));

  select(*window, {".."});
  window->list()->setFocus();
  QTest::keyClick(window->list(), Qt::Key_Return);
  EXPECT_EQ(opened.back(), (OpenCall{"..", false}));
}

TEST_F(ConnectDialogTest, UpButtonFollowsTheSnapshotAndGoesUp) {
  auto window = make_window();
  EXPECT_EQ(window->up_button()->text().toStdString(), "상위폴더");
  EXPECT_TRUE(window->up_button()->isEnabled());
  QTest::mouseClick(window->up_button(), Qt::LeftButton);
  EXPECT_EQ(opened, (std::vector<OpenCall>{{"..", false}}));

  snapshot.up_text = "이전 탭";
  snapshot.up_enabled = false;
  window->refresh();
  EXPECT_EQ(window->up_button()->text().toStdString(), "이전 탭");
  EXPECT_FALSE(window->up_button()->isEnabled());
}

TEST_F(ConnectDialogTest, ButtonsDownloadTheCurrentFolderReconnectAndClose) {
  auto window = make_window();
  QTest::mouseClick(window->folder_download_button(), Qt::LeftButton);
  EXPECT_EQ(folder_downloads, std::vector<std::string>{""}) << "the current folder";
  QTest::mouseClick(window->reconnect_button(), Qt::LeftButton);
  EXPECT_EQ(reconnects, 1);
  QTest::mouseClick(window->close_button(), Qt::LeftButton);
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(window->model()->rowCount(), 0) << "the window shows the ended session";
  EXPECT_TRUE(window->reconnect_button()->isEnabled()) << "a closed session can be reconnected";
}

TEST_F(ConnectDialogTest, SessionEndEmptiesTheListAndDisablesTheBrowsingControls) {
  browse::PeerIntro intro;
  intro.kind = browse::PeerIntro::Kind::Page;
  intro.page = "<p>안녕하세요</p>";
  snapshot.intro = intro;
  auto window = make_window();
  select(*window, {"one.mp3"});
  ASSERT_TRUE(window->list()->isEnabled());
  ASSERT_FALSE(window->intro_pane()->toPlainText().isEmpty());

  snapshot.session_running = false;  // the core may still hold the last rows
  window->refresh();
  EXPECT_EQ(window->model()->rowCount(), 0);
  EXPECT_TRUE(window->path_box()->text().isEmpty());
  EXPECT_FALSE(window->list()->isEnabled());
  EXPECT_FALSE(window->up_button()->isEnabled());
  EXPECT_FALSE(window->folder_download_button()->isEnabled());
  EXPECT_FALSE(window->close_button()->isEnabled());
  EXPECT_TRUE(window->intro_pane()->toPlainText().isEmpty());
  EXPECT_TRUE(window->home_page_pane()->text().isEmpty());
  std::unique_ptr<QMenu> menu(window->list_menu(nullptr));
  for (QAction* item : menu->actions()) EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
}

TEST_F(ConnectDialogTest, TitleAndStatusLinesComeFromTheSnapshot) {
  auto window = make_window();
  EXPECT_TRUE(window->title_line()->text().startsWith(QStringLiteral("친구(friend)")));
  EXPECT_TRUE(window->title_line()->text().contains(QStringLiteral("3")));
  EXPECT_EQ(window->speed_line()->text().toStdString(), "속도(현재/제한): 10k/100");
  EXPECT_EQ(window->transfers_line()->text().toStdString(), "전송수(현재/최대): 1/5");
}

TEST_F(ConnectDialogTest, SortBoxOffersTheColumnsStoresItsIndexAndSorts) {
  stored.numbers["remotelistautosort"] = 2;
  auto window = make_window();
  QComboBox* box = window->sort_box();
  ASSERT_EQ(box->count(), 4);
  EXPECT_EQ(box->itemText(0).toStdString(), "파일");
  EXPECT_EQ(box->itemText(3).toStdString(), "권한");
  EXPECT_EQ(box->currentIndex(), 2) << "read at start";
  EXPECT_TRUE(sorts.empty()) << "reading the choice sorts nothing";
  const int touched_before = touches;
  box->setCurrentIndex(1);
  EXPECT_EQ(sorts, std::vector<int>{1}) << "the browser stores the choice";
  EXPECT_EQ(stored.numbers["remotelistautosort"], 2) << "the window does not store it a second time";
  EXPECT_GT(touches, touched_before);
}

TEST_F(ConnectDialogTest, AStoredSortChoiceOutOfRangeFallsBackToTheName) {
  stored.numbers["remotelistautosort"] = 17;
  auto window = make_window();
  EXPECT_EQ(window->sort_box()->currentIndex(), 0);
}

TEST_F(ConnectDialogTest, ConnectBoxExploresTheTypedIdWithoutOriginAndShowsTheHistory) {
  auto window = make_window();
  QComboBox* box = window->connect_box();
  ASSERT_EQ(box->count(), 3);
  EXPECT_EQ(box->itemText(0).toStdString(), "friend");
  EXPECT_EQ(box->itemText(2).toStdString(), "-모두삭제-");

  box->setEditText(QStringLiteral("  newpeer "));
  QTest::keyClick(box->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(explored, (std::vector<ExploreCall>{{"newpeer", -1}}));
  box->setEditText(QStringLiteral("other"));
  QTest::mouseClick(window->connect_button(), Qt::LeftButton);
  EXPECT_EQ(explored.back(), (ExploreCall{"other", -1}));
  box->setEditText(QString());
  QTest::mouseClick(window->connect_button(), Qt::LeftButton);
  EXPECT_EQ(explored.size(), 2u) << "an empty box explores nothing";
}

TEST_F(ConnectDialogTest, ChoosingTheClearEntryEmptiesTheHistory) {
  auto window = make_window();
  QComboBox* box = window->connect_box();
  emit box->activated(2);
  EXPECT_EQ(history_clears, 1);
  ASSERT_EQ(box->count(), 1);
  EXPECT_EQ(box->itemText(0).toStdString(), "-모두삭제-");
  EXPECT_TRUE(box->currentText().isEmpty());
  EXPECT_TRUE(explored.empty());
  emit box->activated(0);
  EXPECT_EQ(history_clears, 2) << "the clear entry stays and clears again";
}

TEST_F(ConnectDialogTest, CheckBoxesReadTheirSettingsAndWriteThemBack) {
  stored.numbers["IntroNoScript"] = 0;
  stored.numbers["ExploreAutoMoveDownload"] = 1;
  auto window = make_window();
  EXPECT_FALSE(window->no_script_box()->isChecked());
  EXPECT_TRUE(window->no_new_window_box()->isChecked()) << "default 1";
  EXPECT_TRUE(window->move_to_download_box()->isChecked());
  EXPECT_EQ(moves, std::vector<bool>{true}) << "the core is told the stored choice";

  QTest::mouseClick(window->no_script_box(), Qt::LeftButton);
  QTest::mouseClick(window->no_new_window_box(), Qt::LeftButton);
  QTest::mouseClick(window->move_to_download_box(), Qt::LeftButton);
  EXPECT_EQ(stored.numbers["IntroNoScript"], 1);
  EXPECT_EQ(stored.numbers["NoNewWindow"], 0);
  EXPECT_EQ(moves, (std::vector<bool>{true, false})) << "the browser stores the choice";
  EXPECT_EQ(stored.numbers["ExploreAutoMoveDownload"], 1) << "the window does not store it a second time";
}

TEST_F(ConnectDialogTest, PaneAreaIsShownAtStartOnlyWhenStoredSo) {
  {
    auto window = make_window();
    EXPECT_FALSE(window->pane_area()->isVisible()) << "default 0";
    QTest::mouseClick(window->home_page_choice(), Qt::LeftButton);
    EXPECT_TRUE(window->pane_area()->isVisible()) << "choosing a pane shows it";
  }
  stored.numbers["ConnectViewIntro"] = 1;
  auto window = make_window();
  EXPECT_TRUE(window->pane_area()->isVisible());
}

TEST_F(ConnectDialogTest, IntroPageLinksAreIgnoredWithNoNewWindowAndOpenOnlyWebPagesOtherwise) {
  browse::PeerIntro intro;
  intro.kind = browse::PeerIntro::Kind::Page;
  intro.page = "<p>hello</p><img src=\"file:///etc/passwd\"><a href=\"http://example.invalid/x\">x</a>";
  snapshot.intro = intro;
  auto window = make_window();
  IntroBrowser* pane = window->intro_pane();
  EXPECT_TRUE(pane->toPlainText().contains(QStringLiteral("hello")));
  EXPECT_FALSE(pane->document()->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("file:///etc/passwd"))).isValid());

  emit pane->anchorClicked(QUrl(QStringLiteral("http://example.invalid/x")));
  EXPECT_TRUE(opened_pages.empty()) << "NoNewWindow is on by default";

  QTest::mouseClick(window->no_new_window_box(), Qt::LeftButton);
  emit pane->anchorClicked(QUrl(QStringLiteral("http://example.invalid/x")));
  emit pane->anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
  emit pane->anchorClicked(QUrl(QStringLiteral("relative.html")));
  EXPECT_EQ(opened_pages, std::vector<std::string>{"http://example.invalid/x"}) << "only web pages open";
  EXPECT_TRUE(pane->source().isEmpty());
}

TEST_F(ConnectDialogTest, IntroPageIsShownDisarmedWhenTheBoxIsChecked) {
  browse::PeerIntro intro;
  intro.kind = browse::PeerIntro::Kind::Page;
  intro.page = "<P>Hi</P><SCRIPT>alert(1)</SCRIPT>";
  snapshot.intro = intro;
  stored.numbers["IntroNoScript"] = 0;
  auto window = make_window();
  EXPECT_FALSE(window->intro_pane()->toPlainText().contains(QStringLiteral("&ltscript")));
  QTest::mouseClick(window->no_script_box(), Qt::LeftButton);
  EXPECT_TRUE(window->intro_pane()->toPlainText().contains(QStringLiteral("&ltscript>alert(1)&lt/script>")))
      << window->intro_pane()->toPlainText().toStdString();
}

TEST_F(ConnectDialogTest, AnIntroAddressIsShownAsALinkThatOpensInTheDesktopBrowser) {
  browse::PeerIntro intro;
  intro.kind = browse::PeerIntro::Kind::WebAddress;
  intro.url = "http://example.invalid/me?a=1&b=<2>";
  snapshot.intro = intro;
  auto window = make_window();
  IntroBrowser* pane = window->intro_pane();
  EXPECT_EQ(pane->toPlainText().toStdString(), intro.url);
  EXPECT_TRUE(pane->source().isEmpty()) << "the address is not loaded";
  emit pane->anchorClicked(QUrl(QString::fromStdString(intro.url)));
  EXPECT_EQ(opened_pages, std::vector<std::string>{intro.url});
}

TEST_F(ConnectDialogTest, HomePagePaneShowsTheAddressAsALink) {
  auto window = make_window();
  QLabel* pane = window->home_page_pane();
  EXPECT_TRUE(pane->text().contains(QString::fromStdString(snapshot.home_page_url)));
  emit pane->linkActivated(QString::fromStdString(snapshot.home_page_url));
  EXPECT_EQ(opened_pages, std::vector<std::string>{snapshot.home_page_url});
}

TEST_F(ConnectDialogTest, FolderPasswordComesFromThePromptOrNothingWhenCancelled) {
  auto window = make_window();
  window->set_password_prompt([](QWidget*) { return std::optional<QString>(QStringLiteral("비밀번호")); });
  EXPECT_EQ(window->ask_folder_password(), std::optional<std::string>("비밀번호"));
  window->set_password_prompt([](QWidget*) { return std::optional<QString>(); });
  EXPECT_EQ(window->ask_folder_password(), std::nullopt);
}

TEST_F(ConnectDialogTest, MissingCommandsAreDisabled) {
  CConnectDialog window(BrowseCommands{}, messages);
  window.show_snapshot(snapshot);
  EXPECT_FALSE(window.connect_button()->isEnabled());
  EXPECT_FALSE(window.reconnect_button()->isEnabled());
  EXPECT_FALSE(window.up_button()->isEnabled());
  EXPECT_FALSE(window.folder_download_button()->isEnabled());
  EXPECT_FALSE(window.close_button()->isEnabled());
  EXPECT_EQ(window.model()->rowCount(), 6) << "a snapshot is shown without a core";
  select(window, {"one.mp3"});
  std::unique_ptr<QMenu> menu(window.list_menu(nullptr));
  EXPECT_FALSE(action(*menu, "다운로드(&D)")->isEnabled());
  EXPECT_FALSE(action(*menu, "파일정보 검색/등록(&F)")->isEnabled());
}

}  // namespace
}  // namespace dovel::ui
