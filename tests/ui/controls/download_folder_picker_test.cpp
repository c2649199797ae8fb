#include "ui/controls/download_folder_picker.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/registry_store.h"
#include "settings/settings.h"
#include "support/temp_folder.h"
#include "ui/recording_message_sink.h"

namespace dovel::ui {
namespace {

class DownloadFolderPickerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.Load();
    previous = settings.values().down_path;
  }

  // A chooser that answers `folder` and keeps what it was asked.
  FolderChooser answering(std::optional<std::string> folder) {
    return [this, folder](QWidget*, const QString& title, const QString& start) -> std::optional<QString> {
      asked_title = title.toStdString();
      asked_start = start.toStdString();
      if (!folder) return std::nullopt;
      return QString::fromStdString(*folder);
    };
  }

  std::string stored_down_path() {
    platform::RegistryStore reread_store{temp / "config"};
    settings::Settings reread{reread_store, temp.path()};
    reread.Load();
    return reread.values().down_path;
  }

  dovel::test::TempFolder temp;
  platform::RegistryStore store{temp / "config"};
  settings::Settings settings{store, temp.path()};
  test::RecordingMessageSink messages;
  std::string previous;
  std::string asked_title;
  std::string asked_start;
};

TEST_F(DownloadFolderPickerTest, AnExistingFolderBecomesTheDownloadFolderAndIsSaved) {
  const std::filesystem::path chosen = temp / "받은파일";
  std::filesystem::create_directories(chosen);
  EXPECT_TRUE(ChooseDownloadFolder(settings, messages, nullptr, answering(chosen.string())));
  EXPECT_EQ(asked_title, "다운로드할 폴더를 선택하세요.");
  EXPECT_EQ(asked_start, previous);
  EXPECT_EQ(settings.values().down_path, chosen.string());
  EXPECT_EQ(stored_down_path(), chosen.string());
  EXPECT_TRUE(messages.informed.empty());
}

TEST_F(DownloadFolderPickerTest, CancellingOrAMissingFolderKeepsTheOldOne) {
  EXPECT_FALSE(ChooseDownloadFolder(settings, messages, nullptr, answering(std::nullopt)));
  EXPECT_TRUE(messages.informed.empty());

  EXPECT_FALSE(ChooseDownloadFolder(settings, messages, nullptr, answering((temp / "없는폴더").string())));
  EXPECT_EQ(messages.informed, QStringList{QString::fromUtf8("선택한 폴더가 존재하지 않습니다.")});
  EXPECT_EQ(settings.values().down_path, previous);
}

TEST_F(DownloadFolderPickerTest, AFolderTheCheckRefusesShowsWhyAndTheOldOneStays) {
  settings.server_usable = true;
  const std::string shared = settings.shared_folders().at(0).path;
  EXPECT_FALSE(ChooseDownloadFolder(settings, messages, nullptr, answering(shared)));
  EXPECT_EQ(messages.informed, QStringList{QString::fromUtf8("1번째 공유폴더와 다운로드폴더가 같습니다. 공유폴더와 다운폴더는 틀려야 합니다.")});
  EXPECT_EQ(settings.values().down_path, previous);
  EXPECT_EQ(stored_down_path(), previous);
}

}  // namespace
}  // namespace dovel::ui
