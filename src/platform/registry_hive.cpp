#include "platform/registry_hive.h"

#include "base/string_printf.h"
#include "base/text.h"
#include "platform/cp949.h"

namespace dovel::platform {
namespace {

using base::ascii_lower;

constexpr std::string_view kDwordPrefix = "dword:";

std::string quote(std::string_view text, bool escape_bracket) {
  const bool escape_high = !is_valid_utf8(text);
  std::string out = "\"";
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': out += "\\\\"; continue;
      case '"': out += "\\\""; continue;
      case '\n': out += "\\n"; continue;
      case '\r': out += "\\r"; continue;
      case '\t': out += "\\t"; continue;
      default: break;
    }
    if (byte < 0x20 || byte == 0x7f || (escape_high && byte >= 0x80) || (escape_bracket && c == ']')) {
      out += base::string_printf("\\x%02x", byte);
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted text starting at text[0] == '"'; returns it and the rest after the closing quote.
std::optional<std::pair<std::string, std::string_view>> unquote(std::string_view text) {
  if (text.empty() || text.front() != '"') return std::nullopt;
  std::string out;
  size_t i = 1;
  while (i < text.size()) {
    char c = text[i];
    if (c == '"') return std::make_pair(out, text.substr(i + 1));
    if (c != '\\') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;
    char escaped = text[i + 1];
    switch (escaped) {
      case '\\': out += '\\'; break;
      case '"': out += '"'; break;
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case 'x': {
        if (i + 3 >= text.size()) return std::nullopt;
        int high = hex_digit(text[i + 2]);
        int low = hex_digit(text[i + 3]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
    i += 2;
  }
  return std::nullopt;
}

std::optional<RegistryValue> parse_value(std::string_view text) {
  if (text.substr(0, kDwordPrefix.size()) == kDwordPrefix) {
    std::string_view digits = text.substr(kDwordPrefix.size());
    if (digits.size() != 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
      int digit = hex_digit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
  }
  auto quoted = unquote(text);
  if (!quoted || !quoted->second.empty()) return std::nullopt;
  return quoted->first;
}

}  // namespace

std::string RegistryHive::normalize(std::string_view key) { return std::string(base::trim_backslashes(key)); }

bool RegistryHive::key_exists(std::string_view key) const {
  std::string wanted = ascii_lower(normalize(key));
  if (wanted.empty() || keys_.count(wanted) > 0) return true;
  std::string prefix = wanted + "\\";
  auto child = keys_.lower_bound(prefix);
  return child != keys_.end() && child->first.compare(0, prefix.size(), prefix) == 0;
}

RegistryHive::Key& RegistryHive::ensure_key(std::string_view key) {
  std::string path = normalize(key);
  auto [entry, inserted] = keys_.try_emplace(ascii_lower(path));
  if (inserted) entry->second.path = path;
  return entry->second;
}

void RegistryHive::create_key(std::string_view key) { ensure_key(key); }

bool RegistryHive::delete_key(std::string_view key) {
  std::string wanted = ascii_lower(normalize(key));
  if (wanted.empty() || !key_exists(wanted)) return false;
  std::string prefix = wanted + "\\";
  keys_.erase(wanted);
  auto first = keys_.lower_bound(prefix);
  auto last = first;
  while (last != keys_.end() && last->first.compare(0, prefix.size(), prefix) == 0) ++last;
  keys_.erase(first, last);
  return true;
}

const RegistryValue* RegistryHive::find_value(std::string_view key, std::string_view name) const {
  auto found_key = keys_.find(ascii_lower(normalize(key)));
  if (found_key == keys_.end()) return nullptr;
  auto found_value = found_key->second.values.find(ascii_lower(name));
  return found_value == found_key->second.values.end() ? nullptr : &found_value->second.value;
}

void RegistryHive::set_value(std::string_view key, std::string_view name, RegistryValue value) {
  auto [entry, inserted] = ensure_key(key).values.try_emplace(ascii_lower(name));
  if (inserted) entry->second.name = std::string(name);
  entry->second.value = std::move(value);
}

bool RegistryHive::delete_value(std::string_view key, std::string_view name) {
  auto found_key = keys_.find(ascii_lower(normalize(key)));
  return found_key != keys_.end() && found_key->second.values.erase(ascii_lower(name)) > 0;
}

std::vector<std::string> RegistryHive::value_names(std::string_view key) const {
  std::vector<std::string> names;
  auto found_key = keys_.find(ascii_lower(normalize(key)));
  if (found_key == keys_.end()) return names;
  for (const auto& [lowered, value] : found_key->second.values) names.push_back(value.name);
  return names;
}

std::string RegistryHive::serialize() const {
  std::string text = "; Dovel settings store. Written by the program; edit only while it is not running.\n";
  for (const auto& [lowered, key] : keys_) {
    text += "\n[" + quote(key.path, true) + "]\n";
    for (const auto& [lowered_name, named] : key.values) {
      text += quote(named.name, false) + "=";
      if (const auto* number = std::get_if<uint32_t>(&named.value)) {
        text += base::string_printf("dword:%08x\n", *number);
      } else {
        text += quote(std::get<std::string>(named.value), false) + "\n";
      }
    }
  }
  return text;
}

RegistryHive RegistryHive::parse(std::string_view text) {
  RegistryHive hive;
  std::optional<std::string> current_key;
  for (const std::string& raw_line : base::split(text, '\n')) {
    std::string_view line = raw_line;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      current_key.reset();
      if (line.size() < 2 || line.back() != ']') continue;
      auto quoted = unquote(line.substr(1, line.size() - 2));
      if (!quoted || !quoted->second.empty()) continue;
      hive.create_key(quoted->first);
      current_key = quoted->first;
      continue;
    }
    if (!current_key) continue;
    auto name = unquote(line);
    if (!name || name->second.empty() || name->second.front() != '=') continue;
    auto value = parse_value(name->second.substr(1));
    if (!value) continue;
    hive.set_value(*current_key, name->first, std::move(*value));
  }
  return hive;
}

}  // namespace dovel::platform
