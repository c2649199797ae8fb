#include "util/letter_pair.h"

#include <cstdint>
#include <vector>

#include "platform/cp949.h"

namespace dovel::util {
namespace {

constexpr std::string_view kKey = "vtrwnqa514097hpzxcmb";
constexpr int kKeyLength = static_cast<int>(kKey.size());

// Step 2 of the encoding and its own inverse: XOR with the forward key and, on
// even positions, the backward key. Returns the low byte of the signed sum of the
// transformed bytes, which is the check byte.
uint8_t apply_key(std::vector<uint8_t>& bytes, bool encoding) {
  int forward = 0;
  int backward = kKeyLength - 1;
  int32_t sum = 0;
  for (size_t j = 0; j < bytes.size(); ++j) {
    uint8_t before = bytes[j];
    bytes[j] ^= static_cast<uint8_t>(kKey[static_cast<size_t>(forward)]);
    if (j % 2 == 0) {
      bytes[j] ^= static_cast<uint8_t>(kKey[static_cast<size_t>(backward)]);
      --backward;
    }
    forward = (forward + 1) % kKeyLength;
    if (backward < 0) backward = kKeyLength - 1;
    sum += static_cast<int8_t>(encoding ? bytes[j] : before);
  }
  return static_cast<uint8_t>(sum & 0xFF);
}

char letter_of(int nibble) {
  return nibble < 10 ? static_cast<char>('A' + nibble) : static_cast<char>('h' + nibble - 10);
}

// The decoder's letter mapping: 'h'..'m' back by 7, every other letter by 17, and the
// result must be a hex digit. Genuine encodings only use 'A'..'J' and 'h'..'m'.
int nibble_of(char letter) {
  char digit = (letter >= 'h' && letter <= 'm') ? static_cast<char>(letter - 7) : static_cast<char>(letter - 17);
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}

}  // namespace

std::string Encode(std::string_view text) {
  if (text.empty()) return {};
  std::vector<uint8_t> bytes(text.begin(), text.end());
  uint8_t check = apply_key(bytes, true);
  for (size_t j = bytes.size() - 1; j >= 1; --j) bytes[j - 1] ^= bytes[j];
  std::string result;
  result.reserve(2 * (bytes.size() + 1));
  auto put = [&result](uint8_t byte) {
    result += letter_of(byte >> 4);
    result += letter_of(byte & 0x0F);
  };
  put(check);
  for (uint8_t& byte : bytes) put(byte ^ check);
  return result;
}

std::string Decode(std::string_view text) {
  if (text.size() < 4 || text.size() % 2 != 0) return {};
  std::vector<uint8_t> pairs;
  pairs.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    int high = nibble_of(text[i]);
    int low = nibble_of(text[i + 1]);
    if (high < 0 || low < 0) return {};
    pairs.push_back(static_cast<uint8_t>(high * 16 + low));
  }
  uint8_t check = pairs.front();
  std::vector<uint8_t> bytes(pairs.begin() + 1, pairs.end());
  for (uint8_t& byte : bytes) byte ^= check;
  for (size_t j = 0; j + 1 < bytes.size(); ++j) bytes[j] ^= bytes[j + 1];
  if (apply_key(bytes, false) != check) return {};
  return std::string(bytes.begin(), bytes.end());
}

std::string EncodeWire(std::string_view utf8) {
  auto cp949 = platform::utf8_to_cp949(utf8);
  return cp949 ? Encode(*cp949) : std::string();
}

std::string DecodeWire(std::string_view text) {
  std::string bytes = Decode(text);
  if (bytes.empty()) return {};
  return platform::cp949_to_utf8(bytes).value_or(std::string());
}

}  // namespace dovel::util
