#pragma once

#include <string>
#include <string_view>

namespace dovel::util {

// The program's reversible letter-pair encoding of IDs, passwords, addresses and
// link parts. It works on bytes: whatever travels is encoded in its CP949 form
// (EncodeWire/DecodeWire); what is only stored locally may encode UTF-8 as long as
// it is decoded the same way.

// Empty input gives an empty result (failure). The result has 2 * (n + 1) letters.
std::string Encode(std::string_view bytes);
// Empty unless the text is a genuine encoding: even length, letters only from the
// encoding's alphabet, and a matching check byte. Plain texts therefore never
// decode to garbage, so callers can fall back to "use as is".
std::string Decode(std::string_view text);

// Encode of the CP949 form of a UTF-8 text; empty when it has no CP949 form.
std::string EncodeWire(std::string_view utf8);
// Decode, then CP949 to UTF-8; empty when either step fails.
std::string DecodeWire(std::string_view text);

}  // namespace dovel::util
