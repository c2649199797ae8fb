#include "ui/controls/open_browser.h"

#include <gtest/gtest.h>

namespace dovel::ui {
namespace {

struct RecordingStarter {
  ProgramStarter starter() {
    return [this](const std::vector<std::string>& argv) {
      started.push_back(argv);
      return succeeds;
    };
  }
  bool succeeds = true;
  std::vector<std::vector<std::string>> started;
};

TEST(OpenBrowser, HandsThePageToTheDesktopOpenerAsOneArgument) {
  for (const std::string url : {"http://127.0.0.1:11080/intro.html?a=1&b=2", "HTTPS://example.test/x;y", "file:///home/u/intro.html"}) {
    RecordingStarter opener;
    EXPECT_TRUE(OpenBrowser(url, opener.starter())) << url;
    ASSERT_EQ(opener.started.size(), 1u);
    EXPECT_EQ(opener.started[0], (std::vector<std::string>{"xdg-open", url}));
  }
}

TEST(OpenBrowser, RefusesAddressesTheOpenerCouldMisread) {
  const std::string refused[] = {"", "-x", "--help", "javascript:alert(1)", "/etc/passwd", "http://a b", "http://a\nb",
                                 std::string("http://a\0b", 10), "ftp://host/file"};
  for (const std::string& url : refused) {
    RecordingStarter opener;
    EXPECT_FALSE(OpenBrowser(url, opener.starter())) << url;
    EXPECT_TRUE(opener.started.empty()) << url;
  }
}

TEST(OpenBrowser, AnOpenerThatCannotStartIsAFailure) {
  RecordingStarter opener;
  opener.succeeds = false;
  EXPECT_FALSE(OpenBrowser("http://127.0.0.1/", opener.starter()));
  EXPECT_FALSE(OpenBrowser("http://127.0.0.1/", ProgramStarter()));
}

TEST(OpenLocalPath, HandsOnlyAbsolutePathsToTheOpener) {
  RecordingStarter opener;
  EXPECT_TRUE(OpenLocalPath("/home/u/Download/", opener.starter()));
  ASSERT_EQ(opener.started.size(), 1u);
  EXPECT_EQ(opener.started[0], (std::vector<std::string>{"xdg-open", "/home/u/Download/"}));
  for (const std::string path : {"", "-x", "--help", "Download"}) {
    EXPECT_FALSE(OpenLocalPath(path, opener.starter())) << path;
  }
  EXPECT_EQ(opener.started.size(), 1u);
}

}  // namespace
}  // namespace dovel::ui
