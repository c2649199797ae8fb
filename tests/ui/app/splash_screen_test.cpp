#include "ui/app/splash_screen.h"

#include <gtest/gtest.h>

#include <thread>


namespace dovel::ui {
namespace {

TEST(CSplashScreen, StatusTextReplacedFromAnotherThreadAndClosedAtTheEnd) {
  CSplashScreen splash;
  splash.set_status_text(QString::fromUtf8("9910 TCP/UDP 포트를 검사중입니다.\r\n잠시만 기다려주세요."));
  splash.show_now();
  EXPECT_TRUE(splash.isVisible());
  std::thread writer([&] { splash.set_status_text(QStringLiteral("done")); });
  writer.join();
  EXPECT_EQ(splash.status_text(), QStringLiteral("done"));
  splash.finish();
  EXPECT_FALSE(splash.isVisible());
}

}  // namespace
}  // namespace dovel::ui
