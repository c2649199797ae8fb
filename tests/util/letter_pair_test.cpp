#include "util/letter_pair.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/cp949.h"

namespace dovel::util {
namespace {

bool only_encoding_letters(const std::string& text) {
  for (char c : text) {
    if (!((c >= 'A' && c <= 'J') || (c >= 'h' && c <= 'm'))) return false;
  }
  return true;
}

TEST(LetterPair, RoundTripsBytesOfEveryShape) {
  const std::string cases[] = {
      "a",                                      // one byte
      "ab",                                     // even length
      "abc",                                    // odd length
      "mimi1234",                               // a typical ID
      std::string("\x80\xff\x01\x7f", 4),       // bytes >= 0x80 and control bytes
      std::string("\0\0\0", 3),                 // NUL bytes
      "this text is longer than the twenty-letter key, so both key indices wrap around",
      std::string(300, '\xa4'),
  };
  for (const std::string& text : cases) {
    std::string encoded = Encode(text);
    EXPECT_EQ(encoded.size(), 2 * (text.size() + 1)) << text;
    EXPECT_TRUE(only_encoding_letters(encoded)) << encoded;
    EXPECT_EQ(Decode(encoded), text) << encoded;
  }
}

TEST(LetterPair, OneCharacterGivesFourLetters) {
  std::string encoded = Encode("a");
  EXPECT_EQ(encoded.size(), 4u);
  EXPECT_TRUE(only_encoding_letters(encoded));
  // One byte is its own check sum, so its encoded byte is always zero ("AA").
  EXPECT_EQ(encoded.substr(2), "AA");
}

TEST(LetterPair, EmptyTextIsAFailure) {
  EXPECT_EQ(Encode(""), "");
  EXPECT_EQ(Decode(""), "");
}

TEST(LetterPair, PlainTextsDoNotDecode) {
  // Callers fall back to "use as is" when a text does not decode; plain IDs,
  // dotted addresses and port numbers must therefore never decode to anything.
  for (const char* plain : {"mimi", "127.0.0.1", "9910", "guest", "ABCD", "hhhh", "AB", "ABCDE"}) {
    EXPECT_EQ(Decode(plain), "") << plain;
  }
}

TEST(LetterPair, WrongCheckByteIsRefused) {
  // The check is a one-byte sum, so it catches a changed check byte, not every
  // changed letter of the body.
  std::string encoded = Encode("mimi1234");
  for (size_t position = 0; position < 2; ++position) {
    std::string tampered = encoded;
    tampered[position] = tampered[position] == 'A' ? 'B' : 'A';
    EXPECT_EQ(Decode(tampered), "") << tampered;
  }
  EXPECT_EQ(Decode(encoded.substr(0, encoded.size() - 1)), "") << "odd length";
}

TEST(LetterPair, WireFormsEncodeTheCp949Bytes) {
  const std::string korean = "도벨짱똠햏";
  std::string encoded = EncodeWire(korean);
  auto cp949 = platform::utf8_to_cp949(korean);
  ASSERT_TRUE(cp949);
  EXPECT_EQ(encoded, Encode(*cp949));
  EXPECT_EQ(DecodeWire(encoded), korean);
  EXPECT_EQ(EncodeWire("😀"), "") << "no CP949 form";
  EXPECT_EQ(DecodeWire(Encode("\xff\xff")), "") << "decodes, but is not CP949";
}

}  // namespace
}  // namespace dovel::util
