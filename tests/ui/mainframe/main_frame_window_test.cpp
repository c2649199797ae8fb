#include "ui/mainframe/main_frame_window.h"

#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "mainframe/status_texts.h"
#include "ui/mainframe/gui_wait.h"

namespace dovel::ui {
namespace {

CMainFrameWindow::Options without_tray() {
  CMainFrameWindow::Options options;
  options.use_tray = false;
  return options;
}

TEST(CMainFrameWindow, CannotBeSizedBelowItsMinimum) {
  CMainFrameWindow window({}, {}, without_tray());
  window.show();
  window.resize(600, 400);
  EXPECT_GE(window.width(), 950);
  EXPECT_GE(window.height(), 650);
  EXPECT_EQ(window.minimumSize(), QSize(950, 650));
}

TEST(CMainFrameWindow, ViewButtonsShowOneViewAtATime) {
  CMainFrameWindow window({}, {}, without_tray());
  window.show();
  EXPECT_EQ(window.current_view(), kViewHome);
  for (int view : {kViewTransferLists, kViewServers, kViewBrowse, kViewSearchResults, kViewHome}) {
    SCOPED_TRACE(view);
    QTest::mouseClick(window.menu_bar().view_button(view), Qt::LeftButton);
    EXPECT_EQ(window.current_view(), view);
    for (int other = 0; other < kViewCount; ++other) {
      EXPECT_EQ(window.menu_bar().view_button(other)->isChecked(), other == view);
      EXPECT_EQ(window.view(other)->isVisible(), other == view);
    }
  }
}

TEST(CMainFrameWindow, ClosingWithoutATrayMinimisesAndKeepsTheProgramWithinReach) {
  CMainFrameWindow window({}, {}, without_tray());
  window.show();
  ASSERT_FALSE(window.tray().shown());
  window.close();
  EXPECT_FALSE(window.isHidden());
  EXPECT_TRUE(test::process_until([&] { return window.isMinimized(); }));
  EXPECT_EQ(window.main_menu().actions().last()->text(), QString::fromUtf8("프로그램 종료(&X)"));

  window.bring_to_front();
  EXPECT_TRUE(test::process_until([&] { return !window.isMinimized(); }));
  window.tear_down();
  window.close();
  EXPECT_TRUE(window.isHidden());
}

TEST(CMainFrameWindow, TrayTipSaysNotLoginForTheGuest) {
  CMainFrameWindow window({}, {}, without_tray());
  EXPECT_EQ(window.tray().tip(), QString::fromUtf8("Dovel - 마우스 우측버턴을 클릭하세요."));

  const mainframe::TransferStatus guest = mainframe::transfer_status("Dovel Build 11672", std::nullopt, {});
  window.show_transfer_status(QString::fromStdString(guest.tray_tip), QString::fromStdString(guest.download_text),
                              QString::fromStdString(guest.upload_text));
  EXPECT_TRUE(window.tray().tip().contains(QStringLiteral("\nNot Login\n"))) << window.tray().tip().toStdString();
  EXPECT_FALSE(window.tray().tip().contains(QString::fromUtf8("포인트")));

  const mainframe::TransferStatus member = mainframe::transfer_status("Dovel Build 11672 - someone", std::string("1,200"), {});
  window.show_transfer_status(QString::fromStdString(member.tray_tip), QString::fromStdString(member.download_text),
                              QString::fromStdString(member.upload_text));
  EXPECT_TRUE(window.tray().tip().contains(QString::fromUtf8("포인트: 1,200"))) << window.tray().tip().toStdString();
  EXPECT_FALSE(window.tray().tip().contains(QStringLiteral("Not Login")));
}

TEST(CMainFrameWindow, TrayTipIsCutAt127Characters) {
  CMainFrameWindow window({}, {}, without_tray());
  window.show_transfer_status(QString(300, QLatin1Char('x')), {}, {});
  EXPECT_EQ(window.tray().tip().size(), 127);
}

TEST(CMainFrameWindow, StatusLogViewShowsTheLinesPostedToTheStatusLog) {
  mainframe::StatusLog log;
  log.append("first line");
  WindowCore core;
  core.status_log = &log;
  CMainFrameWindow window(std::move(core), {}, without_tray());
  EXPECT_EQ(window.status_log_view().toPlainText(), QStringLiteral("first line"));

  log.append("공유서버가 시작되었습니다.");
  EXPECT_TRUE(test::process_until([&] {
    return window.status_log_view().toPlainText() == QString::fromUtf8("first line\n공유서버가 시작되었습니다.");
  })) << window.status_log_view().toPlainText().toStdString();
}

TEST(CMainFrameWindow, MainMenuHasItsCommandsAndEnablesThemByTheSessionState) {
  bool logged_in = false;
  int logouts = 0;
  int exits = 0;
  int logins = 0;
  WindowCore core;
  core.hub_status = [&] {
    mainframe::HubStatus status;
    status.logged_in = logged_in;
    status.user_id = "someone";
    return status;
  };
  core.log_out = [&] { ++logouts; };
  core.request_exit = [&] { ++exits; };
  WindowOpeners openers;
  openers.open_login = [&](QWidget*) { ++logins; };
  CMainFrameWindow window(std::move(core), std::move(openers), without_tray());

  QStringList texts;
  for (QAction* action : window.main_menu().actions()) {
    if (!action->isSeparator()) texts << action->text();
  }
  EXPECT_EQ(texts, QStringList({QString::fromUtf8("로그인(&L)"), QString::fromUtf8("로그아웃(&O)"), QString::fromUtf8("자동 로그인(&A)"),
                                QString::fromUtf8("다운로드 폴더 열기(&D)"), QString::fromUtf8("환경 설정(&C)"),
                                QString::fromUtf8("프로그램 종료(&X)")}));
  EXPECT_TRUE(window.login_action()->isEnabled());
  EXPECT_FALSE(window.logout_action()->isEnabled());
  // Without its hooks the automatic-login switch is not offered.
  EXPECT_FALSE(window.auto_login_action()->isEnabled());

  logged_in = true;
  window.refresh();
  EXPECT_FALSE(window.login_action()->isEnabled());
  EXPECT_TRUE(window.logout_action()->isEnabled());
  EXPECT_EQ(window.status_panel().login_text(), QStringLiteral("someone"));
  window.logout_action()->trigger();
  EXPECT_EQ(logouts, 1);
  QTest::mouseClick(window.menu_bar().session_button(), Qt::LeftButton);
  EXPECT_EQ(logouts, 2);

  logged_in = false;
  window.refresh();
  QTest::mouseClick(window.menu_bar().session_button(), Qt::LeftButton);
  EXPECT_EQ(logins, 1);

  window.exit_action()->trigger();
  window.tray().exit_action()->trigger();
  EXPECT_EQ(exits, 2);
}

// The status panel's visibility switch shows the stored choice, is offered only
// while registered, and hands a click to the core (which answers later).
TEST(CMainFrameWindow, TheVisibilitySwitchAsksTheCoreWhileRegistered) {
  mainframe::HubStatus now;
  now.logged_in = true;
  now.server_shown = true;
  std::vector<bool> asked;
  WindowCore core;
  core.hub_status = [&] { return now; };
  core.set_server_visibility = [&](bool shown) { asked.push_back(shown); };
  CMainFrameWindow window(std::move(core), WindowOpeners{}, without_tray());
  QCheckBox& box = window.status_panel().visibility_box();
  window.refresh();
  EXPECT_TRUE(box.isChecked());
  EXPECT_FALSE(box.isEnabled()) << "not registered";

  now.registered = true;
  window.refresh();
  ASSERT_TRUE(box.isEnabled());
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_EQ(asked, std::vector<bool>{false});
  window.refresh();
  EXPECT_TRUE(box.isChecked()) << "the box follows the setting, which changes only when the service takes it";
  now.server_shown = false;
  window.refresh();
  EXPECT_FALSE(box.isChecked());
}

TEST(CMainFrameWindow, CommandsWhoseWindowIsNotThereAreDisabled) {
  CMainFrameWindow window({}, {}, without_tray());
  EXPECT_FALSE(window.login_action()->isEnabled());
  EXPECT_FALSE(window.tray().settings_action()->isEnabled());
  EXPECT_FALSE(window.menu_bar().session_button()->isEnabled());
  EXPECT_FALSE(window.tray().download_folder_action()->isEnabled());
}

TEST(CMainFrameWindow, WithoutATrayTheMainMenuOpensTheSettings) {
  int opened = 0;
  QWidget* parent = nullptr;
  WindowOpeners openers;
  openers.open_settings = [&](QWidget* over) {
    ++opened;
    parent = over;
  };
  CMainFrameWindow window({}, std::move(openers), without_tray());
  ASSERT_NE(window.settings_action(), nullptr);
  EXPECT_TRUE(window.settings_action()->isEnabled());
  window.settings_action()->trigger();
  window.tray().settings_action()->trigger();
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(parent, &window);

  CMainFrameWindow without_settings({}, {}, without_tray());
  ASSERT_NE(without_settings.settings_action(), nullptr);
  EXPECT_FALSE(without_settings.settings_action()->isEnabled());
}

TEST(CMainFrameWindow, MakesItsHashingWindowOnceAndEachViewInItsPlace) {
  int hash_windows = 0;
  std::array<QWidget*, kViewCount> made{};
  WindowOpeners openers;
  openers.open_hash_dialog = [&](QWidget* parent) {
    ++hash_windows;
    EXPECT_NE(parent, nullptr);
  };
  auto maker = [&made](int view) {
    return [&made, view](QWidget* parent) { return made[static_cast<size_t>(view)] = new QWidget(parent); };
  };
  openers.server_list_view = maker(kViewServers);
  openers.search_view = maker(kViewSearchResults);
  openers.browse_view = maker(kViewBrowse);
  openers.transfers_view = maker(kViewTransferLists);
  CMainFrameWindow window({}, std::move(openers), without_tray());
  EXPECT_EQ(hash_windows, 1);
  for (int view = kViewServers; view < kViewCount; ++view) EXPECT_EQ(window.view(view), made[static_cast<size_t>(view)]) << view;
  window.show_view(kViewTransferLists);
  window.refresh();
  EXPECT_EQ(hash_windows, 1);
}

TEST(CMainFrameWindow, ViewsWithoutAWindowAreEmptyPagesAndTheListsReachTheServerView) {
  int lists_shown = 0;
  WindowOpeners openers;
  openers.show_server_lists = [&](const service::ServerLists&) { ++lists_shown; };
  CMainFrameWindow window({}, std::move(openers), without_tray());
  ASSERT_EQ(window.view(kViewBrowse)->children().size(), 0U);
  window.show_server_lists(service::ServerLists{});
  EXPECT_EQ(lists_shown, 1);
}

TEST(CMainFrameWindow, AutomaticLoginItemFollowsTheStoredSwitch) {
  bool auto_login = true;
  WindowCore core;
  core.auto_login = [&] { return auto_login; };
  core.set_auto_login = [&](bool on) { auto_login = on; };
  CMainFrameWindow window(std::move(core), {}, without_tray());
  EXPECT_TRUE(window.auto_login_action()->isChecked());
  window.auto_login_action()->trigger();
  EXPECT_FALSE(auto_login);
  window.refresh();
  EXPECT_FALSE(window.auto_login_action()->isChecked());
}

TEST(CMainFrameWindow, PointShortageWindowCountsDownInItsTitle) {
  CMainFrameWindow window({}, {}, without_tray());
  window.show_point_shortage();
  EXPECT_TRUE(window.point_charge_dialog().isVisible());
  EXPECT_EQ(window.point_charge_dialog().windowTitle(), QString::fromUtf8("포인트부족 - 20초후 자동으로 닫힙니다."));
  EXPECT_TRUE(test::process_until([&] { return window.point_charge_dialog().seconds_left() == 19; }));
  EXPECT_EQ(window.point_charge_dialog().windowTitle(), QString::fromUtf8("포인트부족 - 19초후 자동으로 닫힙니다."));
  window.point_charge_dialog().hide();
}

}  // namespace
}  // namespace dovel::ui
