#include "util/shutdown_computer.h"

#include <cstdlib>

#include "base/text.h"
#include "platform/spawn.h"

namespace dovel::util {

std::vector<std::string> PowerOffCommand() {
  const char* configured = std::getenv("DOVEL_POWEROFF_COMMAND");
  std::vector<std::string> words;
  if (configured != nullptr) {
    for (std::string& word : base::split(base::trim(configured), ' ')) {
      if (!word.empty()) words.push_back(std::move(word));
    }
  }
  if (words.empty()) words = {"systemctl", "poweroff"};
  return words;
}

bool ShutdownComputer(const std::vector<std::string>& command) { return platform::spawn_detached(command); }

}  // namespace dovel::util
