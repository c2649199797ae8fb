#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::wire {

// Peer texts are UTF-8 in the program and CP949 between peers. Every text that
// goes out to a peer or comes in from one passes through these, so that none is
// sent in the wrong form or taken in without its check. A text that has no CP949
// form is refused where it would be sent (nullopt), never sent as an empty field.

// The CP949 form of `utf8` for one field of a record. nullopt when it has none,
// or when the form holds a NUL or one of `separators`, the bytes that split the
// record (none of them ever occurs inside a CP949 character).
std::optional<std::string> field(std::string_view utf8, std::string_view separators = {});
// The same with the terminating zero that receivers stop at.
std::optional<std::string> terminated_field(std::string_view utf8, std::string_view separators = {});

// The CP949 form of `utf8` in a field of `width` bytes, padded with zeros; it may
// fill the field without a terminator. nullopt when it has no CP949 form, holds a
// NUL or does not fit.
std::optional<std::string> fixed_field(std::string_view utf8, size_t width);

// The bytes of the text before its first zero (all of them when it has none):
// a peer may send a terminator, and what follows it is not part of the text.
std::string_view up_to_terminator(std::string_view bytes);

// The text of a field a peer sent; nullopt when it is not valid CP949 or longer
// than `max_bytes` in that form.
std::optional<std::string> read_field(std::string_view cp949, size_t max_bytes = std::string_view::npos);
// The text of a field up to its terminator.
std::optional<std::string> read_terminated_field(std::string_view cp949);
// A text that will be shown or stored: not valid CP949 or holding a control
// byte, it is refused.
std::optional<std::string> read_plain_field(std::string_view cp949);

}  // namespace dovel::wire
