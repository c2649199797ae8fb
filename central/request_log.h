#pragma once

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string_view>

namespace dovel::central {

// One line per exchange, so that operators and tests can see what happened:
// local time, role, peer address, request, result, separated by tabs (UTF-8).
class RequestLog {
 public:
  explicit RequestLog(const std::filesystem::path& file);

  void write(std::string_view role, std::string_view peer, std::string_view request, std::string_view result);

 private:
  std::mutex lock_;
  std::ofstream out_;
};

inline constexpr std::string_view kRequestLogFile = "requests.log";

}  // namespace dovel::central
