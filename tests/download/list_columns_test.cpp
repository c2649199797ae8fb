#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "download/item_snapshot.h"
#include "download/openable_file.h"
#include "download/paid_columns.h"
#include "support/temp_folder.h"

namespace dovel::download {
namespace {

TEST(PaidColumnsTest, PaidFilesShowPriceAndCommandsOthersDashes) {
  struct Case {
    int paid_state;
    bool transfer_flag;
    PaidColumnTexts expected;
  };
  const Case cases[] = {
      {0, false, {"--", "--", "--"}},
      {255, false, {"--", "--", "--"}},  // not yet asked
      {200, false, {"--", "--", "--"}},  // negative as a signed byte: the query failed
      {1, true, {"--", "--", "--"}},
      {1, false, {"12,340(617)/(주)저작권", "다운로드", "안내"}},
      {3, false, {"12,340(617)/(주)저작권", "충전", "안내"}},
  };
  for (const Case& c : cases) {
    ItemSnapshot item;
    item.paid_state = c.paid_state;
    item.price = 12340;
    item.copyright_text = "(주)저작권";
    const PaidColumnTexts texts = paid_column_texts(item, c.transfer_flag);
    EXPECT_EQ(texts.price, c.expected.price) << c.paid_state;
    EXPECT_EQ(texts.download, c.expected.download) << c.paid_state;
    EXPECT_EQ(texts.guide, c.expected.guide) << c.paid_state;
  }
}

TEST(ItemSnapshotTest, CarriesTheFoldersAndThePaidFields) {
  DownloadItem item;
  item.hash = "0123456789ABCDEF0123456789ABCDEF";
  item.download_folder = "/home/u/Download";
  item.sub_folder = "sub";
  item.paid_state = 3;
  item.price = 500;
  item.copyright_text = "c";
  int64_t current_speed = -1;
  const ItemSnapshot shown = take_snapshot(item, 0, current_speed);
  EXPECT_EQ(shown.download_folder, "/home/u/Download");
  EXPECT_EQ(shown.target_folder, "/home/u/Download/sub");
  EXPECT_EQ(shown.paid_state, 3);
  EXPECT_EQ(shown.price, 500);
  EXPECT_EQ(shown.copyright_text, "c");
}

class OpenableFileTest : public ::testing::Test {
 protected:
  ItemSnapshot item(const std::string& name, ItemState state, const std::string& sub_folder = "") const {
    ItemSnapshot shown;
    shown.file_name = name;
    shown.state = state;
    shown.download_folder = (home / "Download").string();
    shown.sub_folder = sub_folder;
    return shown;
  }

  dovel::test::TempFolder home;
};

TEST_F(OpenableFileTest, FinishedFileOpensFromItsTargetFolder) {
  const std::filesystem::path file = home.write("Download/sub/a.txt", "data");
  EXPECT_EQ(openable_file(item("a.txt", ItemState::Finished, "sub")), std::filesystem::canonical(file));
}

TEST_F(OpenableFileTest, UnfinishedMediaFileOpensItsTemporaryFile) {
  const std::filesystem::path file = home.write("Download/_DTEMP_/[DOVEL]clip.avi", "part");
  EXPECT_EQ(openable_file(item("clip.avi", ItemState::Transferring)), std::filesystem::canonical(file));
}

TEST_F(OpenableFileTest, NothingForMissingEmptyOrUnfinishedOtherFiles) {
  home.write("Download/_DTEMP_/[DOVEL]doc.txt", "part");
  home.write("Download/empty.txt", "");
  EXPECT_FALSE(openable_file(item("doc.txt", ItemState::Transferring)));
  EXPECT_FALSE(openable_file(item("empty.txt", ItemState::Finished)));
  EXPECT_FALSE(openable_file(item("missing.txt", ItemState::Finished)));
  EXPECT_FALSE(openable_file(item("missing.avi", ItemState::Stopped)));
}

TEST_F(OpenableFileTest, NothingOutsideTheDownloadFolder) {
  home.write("secret.txt", "data");
  EXPECT_FALSE(openable_file(item("../secret.txt", ItemState::Finished)));
  EXPECT_FALSE(openable_file(item("secret.txt", ItemState::Finished, "..")));
  ItemSnapshot no_folder = item("a.txt", ItemState::Finished);
  no_folder.download_folder.clear();
  EXPECT_FALSE(openable_file(no_folder));
}

}  // namespace
}  // namespace dovel::download
