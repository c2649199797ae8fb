#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dovel::cli {

// The words after a dovel-tool command: "--home DIR" and the command's own
// switches anywhere, every other word an operand, in order. After "--" every
// word is an operand, so a value may begin with "--".
struct ToolArguments {
  std::optional<std::string> home;
  std::vector<std::string> operands;
  std::vector<std::string> switches;

  bool has(std::string_view name) const;
};

// nullopt, with the reason on standard error, for an option the command does
// not know, one given twice, or "--home" without its folder.
std::optional<ToolArguments> read_tool_arguments(const std::vector<std::string>& words,
                                                 std::initializer_list<std::string_view> known_switches = {});

}  // namespace dovel::cli
