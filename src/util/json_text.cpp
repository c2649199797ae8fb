#include "util/json_text.h"

#include "base/string_printf.h"

namespace dovel::util {
namespace {

// The length of the UTF-8 sequence at `text[i]`, or 0 when it is not one.
size_t utf8_sequence(std::string_view text, size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  size_t length = 0;
  uint32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    smallest = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  uint32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string json_quote(std::string_view text) {
  std::string quoted = "\"";
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      switch (byte) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        case '\t': quoted += "\\t"; break;
        default:
          if (byte < 0x20 || byte == 0x7F) {
            quoted += base::string_printf("\\u%04x", byte);
          } else {
            quoted += static_cast<char>(byte);
          }
      }
      ++i;
      continue;
    }
    const size_t length = utf8_sequence(text, i);
    if (length == 0) {
      quoted += "\xEF\xBF\xBD";
      ++i;
    } else {
      quoted.append(text.substr(i, length));
      i += length;
    }
  }
  return quoted + "\"";
}

void JsonObject::key(std::string_view name) {
  fields_ += fields_.empty() ? "{" : ",";
  fields_ += json_quote(name) + ":";
}

JsonObject& JsonObject::add(std::string_view name, std::string_view value) {
  key(name);
  fields_ += json_quote(value);
  return *this;
}

JsonObject& JsonObject::add(std::string_view name, bool value) {
  key(name);
  fields_ += value ? "true" : "false";
  return *this;
}

JsonObject& JsonObject::add(std::string_view name, int64_t value) {
  key(name);
  fields_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::add(std::string_view name, uint64_t value) {
  key(name);
  fields_ += std::to_string(value);
  return *this;
}

JsonObject& JsonObject::add_json(std::string_view name, std::string_view json) {
  key(name);
  fields_ += json;
  return *this;
}

std::string json_array(const std::vector<std::string>& values) {
  std::string array = "[";
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) array += ",";
    array += values[i];
  }
  return array + "]";
}

}  // namespace dovel::util
