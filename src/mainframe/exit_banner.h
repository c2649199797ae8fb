#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dovel::mainframe {

inline constexpr int kExitBannerTimeoutMs = 5000;
inline constexpr size_t kMaxExitBannerAddress = 2048;

// The web host's answer to the exit-banner question, when it is an address the
// banner program may be given: "http://" or "https://" (any case), printable
// characters only, no blanks, at most 2048 bytes.
std::optional<std::string> exit_banner_address(std::string_view answer);

// The banner program's arguments: the address travels as one element.
std::vector<std::string> exit_banner_arguments(const std::filesystem::path& program, const std::string& address);

// Asks the web host for the exit banner and starts the banner program with it.
// Nothing is asked when no banner program is configured.
void show_exit_banner(const std::string& web_base, const std::filesystem::path& program);

}  // namespace dovel::mainframe
