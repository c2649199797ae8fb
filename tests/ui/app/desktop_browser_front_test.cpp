#include "ui/app/desktop_browser_front.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/message_ids.h"
#include "mainframe/hub_front.h"
#include "support/recording_target.h"
#include "ui/mainframe/gui_wait.h"
#include "ui/recording_message_sink.h"

namespace dovel::ui {
namespace {

std::vector<uint64_t> views_shown(const dovel::test::RecordingTarget& loop) {
  std::vector<uint64_t> views;
  for (const auto& seen : loop.seen()) {
    if (seen.id == core::UM_SHOW_VIEW) views.push_back(seen.wparam);
  }
  return views;
}

TEST(DesktopBrowserFront, TabSwitchesGoThroughTheLoopAndOnlyListsAreOrigins) {
  dovel::test::RecordingTarget loop;
  test::RecordingMessageSink messages;
  DesktopBrowserFront front(loop, messages);
  front.show_browse_tab();
  front.show_download_tab();
  for (int origin : {browse::kServerListOrigin, browse::kSearchResultsOrigin, browse::kOtherListOrigin, browse::kNoOrigin}) {
    front.show_origin_tab(origin);
  }
  EXPECT_EQ(views_shown(loop), (std::vector<uint64_t>{mainframe::kViewBrowse, mainframe::kViewTransfers, mainframe::kViewServerList,
                                                      mainframe::kViewSearch}));
}

TEST(DesktopBrowserFront, ABoxFromASessionThreadIsShownOnTheGuiThread) {
  dovel::test::RecordingTarget loop;
  test::RecordingMessageSink messages;
  DesktopBrowserFront front(loop, messages);
  std::thread session([&front] { front.tell("서버가 존재하지 않습니다."); });
  session.join();
  EXPECT_TRUE(messages.informed.isEmpty()) << "the session's thread only posts";
  ASSERT_TRUE(test::process_until([&] { return !messages.informed.isEmpty(); }));
  EXPECT_EQ(messages.informed, QStringList{QString::fromUtf8("서버가 존재하지 않습니다.")});
}

TEST(DesktopBrowserFront, ThePasswordComesFromTheBrowseWindowOnceItIsThere) {
  dovel::test::RecordingTarget loop;
  test::RecordingMessageSink messages;
  DesktopBrowserFront front(loop, messages);
  EXPECT_EQ(front.ask_folder_password(), std::nullopt) << "no window: the share stays closed";
  front.set_password_prompt([] { return std::optional<std::string>("비밀"); });
  EXPECT_EQ(front.ask_folder_password(), "비밀");
}

}  // namespace
}  // namespace dovel::ui
