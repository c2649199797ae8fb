#include "platform/ini_text.h"

#include <vector>

#include "base/text.h"

namespace dovel::platform {
namespace {

std::optional<std::string_view> section_name(std::string_view line) {
  line = base::trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return base::trim(line.substr(1, line.size() - 2));
}

// Splits "key=value" into its trimmed parts.
std::optional<std::pair<std::string_view, std::string_view>> entry_of(std::string_view line) {
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  return std::make_pair(base::trim(line.substr(0, equals)), base::trim(line.substr(equals + 1)));
}

}  // namespace

std::optional<std::string> find_ini_entry(std::string_view text, std::string_view section, std::string_view key) {
  bool in_section = false;
  for (const std::string& line : base::split(text, '\n')) {
    if (auto name = section_name(line)) {
      in_section = base::iequals_ascii(*name, section);
      continue;
    }
    if (!in_section) continue;
    if (auto entry = entry_of(line); entry && base::iequals_ascii(entry->first, key)) return std::string(entry->second);
  }
  return std::nullopt;
}

std::string with_ini_entry(std::string_view text, std::string_view section, std::string_view key, std::string_view value) {
  std::vector<std::string> lines = text.empty() ? std::vector<std::string>{} : base::split(text, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  const std::string new_line = std::string(key) + "=" + std::string(value);
  std::optional<size_t> section_end;
  bool in_section = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (auto name = section_name(lines[i])) {
      if (in_section) break;
      in_section = base::iequals_ascii(*name, section);
      if (in_section) section_end = i + 1;
      continue;
    }
    if (!in_section) continue;
    auto entry = entry_of(lines[i]);
    if (entry && base::iequals_ascii(entry->first, key)) {
      lines[i] = new_line;
      return base::join(lines, "\n") + "\n";
    }
    if (!base::trim(lines[i]).empty()) section_end = i + 1;
  }
  if (section_end) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*section_end), new_line);
  } else {
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(new_line);
  }
  return base::join(lines, "\n") + "\n";
}

}  // namespace dovel::platform
