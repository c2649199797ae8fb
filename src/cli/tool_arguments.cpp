#include "cli/tool_arguments.h"

#include <algorithm>
#include <cstdio>

namespace dovel::cli {
namespace {

bool is_option(std::string_view word) { return word.size() > 2 && word.substr(0, 2) == "--"; }

std::nullopt_t refuse(const char* reason, const std::string& word) {
  std::fprintf(stderr, "dovel-tool: %s %s\n", reason, word.c_str());
  return std::nullopt;
}

}  // namespace

bool ToolArguments::has(std::string_view name) const { return std::find(switches.begin(), switches.end(), name) != switches.end(); }

std::optional<ToolArguments> read_tool_arguments(const std::vector<std::string>& words,
                                                 std::initializer_list<std::string_view> known_switches) {
  ToolArguments arguments;
  bool operands_only = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (operands_only || !is_option(word)) {
      if (word == "--" && !operands_only) {
        operands_only = true;
      } else {
        arguments.operands.push_back(word);
      }
    } else if (word == "--home") {
      if (arguments.home) return refuse("option given twice:", word);
      if (i + 1 >= words.size()) return refuse("option needs a folder:", word);
      arguments.home = words[++i];
    } else if (std::find(known_switches.begin(), known_switches.end(), word) == known_switches.end()) {
      return refuse("unknown option", word);
    } else if (arguments.has(word)) {
      return refuse("option given twice:", word);
    } else {
      arguments.switches.push_back(word);
    }
  }
  return arguments;
}

}  // namespace dovel::cli
