#pragma once

#include <string>
#include <vector>

namespace dovel::cli {

// login [--home DIR] ID PASSWORD: keeps the ID (lower-cased, as the login
// window does) and the password as the client keeps a login for automatic
// login, and switches automatic login on. Exit code 0 done, 1 refused (an ID or
// password the login would refuse), 2 a command line that cannot be read.
int login_command(const std::vector<std::string>& words);

}  // namespace dovel::cli
