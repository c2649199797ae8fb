#include "app/completion_hold.h"

#include <signal.h>

#include <cstdlib>
#include <optional>
#include <string_view>

namespace dovel::app {
namespace {

std::optional<download::CompletionStep> step_named(std::string_view name) {
  if (name == "last-write") return download::CompletionStep::LastWrite;
  if (name == "moved") return download::CompletionStep::Moved;
  if (name == "row-dropped") return download::CompletionStep::RowDropped;
  return std::nullopt;
}

}  // namespace

std::function<void(download::CompletionStep)> completion_hold_from_environment() {
  const char* named = std::getenv("DOVEL_HOLD_AT_COMPLETION_STEP");
  if (named == nullptr) return {};
  const std::optional<download::CompletionStep> held = step_named(named);
  if (!held) return {};
  return [step = *held](download::CompletionStep reached) {
    if (reached == step) ::raise(SIGSTOP);
  };
}

}  // namespace dovel::app
