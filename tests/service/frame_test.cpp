#include "service/frame.h"

#include <gtest/gtest.h>

#include <string>

#include "parsed_frame.h"
#include "support/fake_clock.h"

namespace dovel::service {
namespace {

using test::parse_frame;

std::string bytes(std::initializer_list<uint8_t> values) { return std::string(values.begin(), values.end()); }

TEST(Scramble, XorsEachByteWithTheKeyByteOfItsPosition) {
  // Zeros show the key itself: A4 C7 21 5E, then it starts over.
  EXPECT_EQ(scrambled(std::string(5, '\0')), bytes({0xA4, 0xC7, 0x21, 0x5E, 0xA4}));
  EXPECT_EQ(scrambled(bytes({0xA4, 0xC7, 0x21, 0x5E, 0xA4, 0xC7})), std::string(6, '\0'));
  EXPECT_EQ(scrambled(bytes({0xFF, 0x00, 0x0F})), bytes({0x5B, 0xC7, 0x2E}));
  EXPECT_EQ(scrambled(""), "");
}

TEST(Scramble, IsItsOwnInverseAndWorksInPlace) {
  std::string original;
  for (int i = 0; i < 259; ++i) original += static_cast<char>(i * 37);

  std::string copy(original.size(), '\0');
  scramble(original.size(), reinterpret_cast<uint8_t*>(copy.data()), reinterpret_cast<const uint8_t*>(original.data()));
  EXPECT_NE(copy, original);
  EXPECT_EQ(copy, scrambled(original));

  std::string in_place = original;
  auto* data = reinterpret_cast<uint8_t*>(in_place.data());
  scramble(in_place.size(), data, data);
  EXPECT_EQ(in_place, copy);
  scramble(in_place.size(), data, data);
  EXPECT_EQ(in_place, original);
}

TEST(FrameChecks, CheckWordIsComplementOfTickXorMask) {
  struct Case {
    uint16_t tick16;
    uint16_t check;
  };
  for (const Case& c : {Case{0x0000, 0xD562}, Case{0x2A9D, 0xFFFF}, Case{0xFFFF, 0x2A9D}, Case{0xD562, 0x0000},
                        Case{0x1234, 0xC756}}) {
    EXPECT_EQ(frame_check_word(c.tick16), c.check) << std::hex << c.tick16;
  }
}

TEST(FrameChecks, SearchCheckByteIsComplementOfTypeXorLowMaskByte) {
  struct Case {
    uint8_t type;
    uint8_t check;
  };
  for (const Case& c : {Case{0x00, 0x62}, Case{0x01, 0x63}, Case{0x9D, 0xFF}, Case{0xFF, 0x9D}, Case{0x62, 0x00}}) {
    EXPECT_EQ(search_check_byte(c.type), c.check) << std::hex << int(c.type);
  }
}

TEST(FrameChecks, PortMask) {
  struct Case {
    uint16_t port;
    uint16_t masked;
  };
  for (const Case& c : {Case{0, 0x2A9D}, Case{11060, 0x01A9}, Case{0xFFFF, 0xD562}}) {
    EXPECT_EQ(mask_port(c.port), c.masked) << c.port;
    EXPECT_EQ(mask_port(c.masked), c.port) << c.port;
  }
}

TEST(BuildFrame, KnownBytes) {
  struct Case {
    uint16_t type;
    std::string payload;
    uint16_t tick16;
    std::string frame;
  };
  const Case cases[] = {
      // check C756, tick 1234, length 4, then type 0102 and "AB" scrambled.
      {0x0102, "AB", 0x1234, bytes({0x56, 0xC7, 0x34, 0x12, 0x04, 0x00, 0xA6, 0xC6, 0x60, 0x1C})},
      // The key restarts at the type word, not at the start of the frame.
      {0x0000, std::string(3, '\0'), 0x0000,
       bytes({0x62, 0xD5, 0x00, 0x00, 0x05, 0x00, 0xA4, 0xC7, 0x21, 0x5E, 0xA4})},
      // An empty payload still carries the type: 8 bytes, length 2.
      {0xFFFF, "", 0x2A9D, bytes({0xFF, 0xFF, 0x9D, 0x2A, 0x02, 0x00, 0x5B, 0x38})},
  };
  for (const Case& c : cases) {
    auto frame = build_frame(c.type, c.payload, c.tick16);
    ASSERT_TRUE(frame) << std::hex << c.type;
    EXPECT_EQ(*frame, c.frame) << std::hex << c.type;
  }
}

TEST(BuildFrame, HeaderStaysPlainAndBodyComesBack) {
  std::string payload;
  for (int i = 0; i < 1000; ++i) payload += static_cast<char>(i);
  auto frame = build_frame(0x4321, payload, uint16_t{0xBEEF});
  ASSERT_TRUE(frame);
  ASSERT_EQ(frame->size(), kFrameHeaderSize + payload.size());

  auto parsed = parse_frame(*frame);
  EXPECT_EQ(parsed.check, frame_check_word(0xBEEF));
  EXPECT_EQ(parsed.tick16, 0xBEEF);
  EXPECT_EQ(parsed.length, payload.size() + 2);
  EXPECT_EQ(parsed.type, 0x4321);
  EXPECT_EQ(parsed.payload, payload);
}

TEST(BuildFrame, PayloadLimitIsWhatTheLengthWordCanCount) {
  auto largest = build_frame(7, std::string(kMaxFramePayload, 'x'), uint16_t{0});
  ASSERT_TRUE(largest);
  EXPECT_EQ(largest->size(), kFrameHeaderSize + 65533);
  EXPECT_EQ(parse_frame(*largest).length, 0xFFFF);

  EXPECT_FALSE(build_frame(7, std::string(kMaxFramePayload + 1, 'x'), uint16_t{0}));
  EXPECT_FALSE(build_frame(7, std::string(70000, 'x'), uint16_t{0}));
}

TEST(BuildFrame, TakesLowSixteenBitsOfTheClockTick) {
  test::FakeClock clock;
  clock.set_tick(0x0001ABCD);
  auto frame = build_frame(1, "x", clock);
  ASSERT_TRUE(frame);
  auto parsed = parse_frame(*frame);
  EXPECT_EQ(parsed.tick16, 0xABCD);
  EXPECT_EQ(parsed.check, 0x7EAF);
  EXPECT_EQ(*frame, *build_frame(1, "x", uint16_t{0xABCD}));
}

}  // namespace
}  // namespace dovel::service
