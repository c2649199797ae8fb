// The hub's figures: speed readings, the tray tip and status texts, the status log.
#include <gtest/gtest.h>

#include "mainframe/speed_meter.h"
#include "mainframe/status_log.h"
#include "mainframe/status_texts.h"
#include "support/fake_clock.h"

namespace dovel::mainframe {
namespace {

TEST(SpeedReader, DisplayKeepsItsFigureAndTheThrottleReadsZeroWhenNoTimePassed) {
  test::FakeClock clock;
  std::atomic<uint64_t> counter{1000};
  SpeedReader display(counter, clock, SpeedReader::WhenNoTimePassed::KeepPrevious);
  SpeedReader throttle(counter, clock, SpeedReader::WhenNoTimePassed::Zero);
  counter += 3000;
  clock.advance_ms(2000);
  EXPECT_DOUBLE_EQ(display.read(), 1500);
  EXPECT_DOUBLE_EQ(throttle.read(), 1500);
  counter += 100;
  EXPECT_DOUBLE_EQ(display.read(), 1500);
  EXPECT_DOUBLE_EQ(throttle.read(), 0);
  clock.advance_ms(100);
  EXPECT_DOUBLE_EQ(display.read(), 1000) << "each reader measures from its own last reading";
  EXPECT_DOUBLE_EQ(throttle.read(), 1000);
}

TEST(SpeedReader, TheTickWrapsAround) {
  test::FakeClock clock;
  clock.set_tick(0xFFFFFF00u);
  std::atomic<uint64_t> counter{0};
  SpeedReader reader(counter, clock, SpeedReader::WhenNoTimePassed::Zero);
  counter += 512;
  clock.advance_ms(512);
  EXPECT_DOUBLE_EQ(reader.read(), 1000);
}

TEST(TransferStatusTexts, TipAndFiguresOfAUserAndOfTheGuest) {
  TransferFigures figures{2048, 512, 1, 3};
  TransferStatus user = transfer_status("Dovel Build 11672 - alice", std::string("1,200"), figures);
  EXPECT_EQ(user.tray_tip, "Dovel Build 11672 - alice\r\n포인트: 1,200\r\n받기: 2.0K (1)  주기: 0.5K (3)  ");
  EXPECT_EQ(user.download_text, "2.0K (1)");
  EXPECT_EQ(user.upload_text, "0.5K (3)");
  EXPECT_EQ(transfer_status("Dovel", std::nullopt, {}).tray_tip, "Dovel\r\nNot Login\r\n받기: 0.0K (0)  주기: 0.0K (0)  ");

  const std::string long_title(120, 'x');
  const std::string tip = transfer_status(long_title + "가나다라마바사", std::nullopt, {}).tray_tip;
  EXPECT_EQ(tip, long_title + "가나다라마바사") << "127 characters at the most, cut between characters";
}

TEST(TransferStatusTexts, PointBalanceLines) {
  PointBalancePayload balance;
  balance.points = 1234567;
  balance.currency = 5;
  balance.income_today = 0;
  balance.spent_today = 100;
  balance.giftable_today = 3000;
  EXPECT_EQ(point_balance_lines(balance), "포인트: 1,234,567\r\n별머니: 5\r\n금일수입: 0\r\n금일지출: 100\r\n금일선물가능: 3,000");
}

TEST(StatusLog, ReadersAskForWhatCameSinceTheirLastLook) {
  StatusLog log(3);
  log.append("a");
  log.append("b");
  StatusLog::Lines first = log.since(0);
  EXPECT_EQ(first.lines, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(first.next, 2u);
  log.append("c");
  log.append("d");
  StatusLog::Lines second = log.since(first.next);
  EXPECT_EQ(second.lines, (std::vector<std::string>{"c", "d"}));
  StatusLog::Lines from_start = log.since(0);
  EXPECT_EQ(from_start.first, 1u) << "the oldest line was dropped";
  EXPECT_EQ(from_start.lines, (std::vector<std::string>{"b", "c", "d"}));
  EXPECT_TRUE(log.since(99).lines.empty());
  EXPECT_EQ(log.since(99).first, 4u);
}

}  // namespace
}  // namespace dovel::mainframe
