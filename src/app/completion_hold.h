#pragma once

#include <functional>

#include "download/transfer_context.h"

namespace dovel::app {

// For crash tests of the completion of a download: with the environment
// variable DOVEL_HOLD_AT_COMPLETION_STEP set to "last-write", "moved" or
// "row-dropped", the program stops itself (SIGSTOP) when a download reaches
// that step, so that the test can kill it exactly there. Empty (no hook) when
// the variable is not set.
std::function<void(download::CompletionStep)> completion_hold_from_environment();

}  // namespace dovel::app
