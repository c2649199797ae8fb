#include "ui/download/total_status_dialog.h"

#include <QLabel>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"
#include "ui/download/down_status_dialog.h"
#include "ui/download/log_folders.h"
#include "ui/recording_message_sink.h"

namespace dovel::ui {
namespace {

using Child = CTotalStatusDialog::Child;

class TotalStatusDialogTest : public ::testing::Test {
 protected:
  DownloadCommands commands() {
    DownloadCommands c;
    c.rows = [] { return std::vector<download::ListRow>{}; };
    c.open_path = [this](const std::string& path) {
      opened.push_back(path);
      return true;
    };
    c.download_folder = [] { return std::string("/home/u/Download"); };
    c.program_folder = [this] { return home.path().string(); };
    c.clear_logs = [this] { clear_log_folders(home.path()); };
    return c;
  }

  dovel::test::TempFolder home;
  test::RecordingMessageSink messages;
  std::vector<std::string> opened;
};

TEST_F(TotalStatusDialogTest, TogglesShowExactlyOneChild) {
  auto* uploads = new QLabel(QStringLiteral("uploads"));
  CTotalStatusDialog view(commands(), messages, uploads);
  view.resize(1000, 500);
  view.show();
  auto downloads_visible = [&] { return view.download_window()->isVisible(); };
  EXPECT_TRUE(downloads_visible());
  EXPECT_FALSE(uploads->isVisible());
  EXPECT_TRUE(view.downloads_toggle()->isChecked());
  EXPECT_FALSE(view.uploads_toggle()->isChecked());
  EXPECT_TRUE(view.isAncestorOf(uploads));

  view.uploads_toggle()->click();
  EXPECT_FALSE(downloads_visible());
  EXPECT_TRUE(uploads->isVisible());
  EXPECT_TRUE(view.uploads_toggle()->isChecked());
  EXPECT_FALSE(view.downloads_toggle()->isChecked());
  EXPECT_EQ(view.shown_child(), Child::Uploads);
  EXPECT_FALSE(view.download_window()->refresh_timer().isActive());

  view.uploads_toggle()->click();  // the shown child's toggle stays down
  EXPECT_TRUE(uploads->isVisible());
  EXPECT_TRUE(view.uploads_toggle()->isChecked());

  view.show_child(Child::Downloads);
  EXPECT_TRUE(downloads_visible());
  EXPECT_FALSE(uploads->isVisible());
  EXPECT_TRUE(view.downloads_toggle()->isChecked());
  EXPECT_EQ(view.downloads_toggle()->parentWidget()->height(), CTotalStatusDialog::kButtonBarHeight);
}

TEST_F(TotalStatusDialogTest, WithoutUploadMonitorTheDownloadsStay) {
  CTotalStatusDialog view(commands(), messages, nullptr);
  view.show();
  EXPECT_FALSE(view.uploads_toggle()->isEnabled());
  view.show_child(Child::Uploads);
  EXPECT_EQ(view.shown_child(), Child::Downloads);
  EXPECT_TRUE(view.download_window()->isVisible());
}

TEST_F(TotalStatusDialogTest, ButtonsOpenTheLogAndDownloadFolders) {
  CTotalStatusDialog view(commands(), messages, nullptr);
  EXPECT_EQ(view.open_logs_button()->toolTip(), "로그폴더를 엽니다.");
  EXPECT_EQ(view.clear_logs_button()->toolTip(), "로그폴더를 지웁니다.");
  EXPECT_EQ(view.download_folder_button()->toolTip(), "다운로드 폴더를 엽니다.");
  view.open_logs_button()->click();
  view.download_folder_button()->click();
  EXPECT_EQ(opened, (std::vector<std::string>{(home / "Log").string(), "/home/u/Download"}));
}

TEST_F(TotalStatusDialogTest, ClearingTheLogsAsksAndClearsOnlyOnYes) {
  const std::filesystem::path logs[] = {home.write("Log/Download/2026-01-01.txt", "d"), home.write("Log/Upload/2026-01-01.txt", "u"),
                                        home.write("Log/System/2026-01-01.txt", "s")};
  const std::filesystem::path other = home.write("Log/Other/keep.txt", "k");
  const std::filesystem::path nested = home.write("Log/System/inner/keep.txt", "k");
  CTotalStatusDialog view(commands(), messages, nullptr);

  messages.answer = false;
  view.clear_logs_button()->click();
  EXPECT_EQ(messages.asked, QStringList{"내역을 모두 삭제하시겠습니까?"});
  for (const auto& log : logs) EXPECT_TRUE(std::filesystem::exists(log)) << log;

  messages.answer = true;
  view.clear_logs_button()->click();
  EXPECT_EQ(messages.asked.size(), 2);
  for (const auto& log : logs) EXPECT_FALSE(std::filesystem::exists(log)) << log;
  EXPECT_TRUE(std::filesystem::is_directory(home / "Log/System"));
  EXPECT_TRUE(std::filesystem::exists(other));
  EXPECT_TRUE(std::filesystem::exists(nested));
}

TEST(LogFoldersTest, LinkedLogFolderIsNotFollowed) {
  dovel::test::TempFolder home;
  const std::filesystem::path outside = home.write("elsewhere/keep.txt", "k");
  std::filesystem::create_directories(home / "program/Log");
  std::filesystem::create_directory_symlink(home / "elsewhere", home / "program/Log/System");
  EXPECT_EQ(clear_log_folders(home / "program"), 0);
  EXPECT_TRUE(std::filesystem::exists(outside));
  EXPECT_EQ(clear_log_folders(home / "missing"), 0);
}

}  // namespace
}  // namespace dovel::ui
