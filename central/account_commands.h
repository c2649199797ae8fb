#pragma once

#include <ostream>

#include "central/command_line.h"

namespace dovel::central {

// Runs a `user ...`, `reports` or `false-reports ...` command on the database in
// the command's home (the service may be running on it at the same time).
// Returns the exit code: 0 done, 1 refused (no such account, already there,
// invalid text, database failure).
int run_account_command(const Command& command, std::ostream& out, std::ostream& errors);

}  // namespace dovel::central
