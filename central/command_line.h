#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "central/account_store.h"
#include "central/startup_documents.h"
#include "platform/socket.h"

namespace dovel::central {

// What the command line asks for:
//   dovel-central --home DIR [--host ADDR] [--open-signup] [--channel-capacity N]
//       [--maintenance MESSAGE] [--maintenance-end TEXT] [--magic] [--psub]
//   dovel-central user add ID PASSWORD [--label L] [--level N] [--adult [0|1]] --home DIR
//   dovel-central user list --home DIR
//   dovel-central user del ID --home DIR
//   dovel-central user set ID [--password P] [--label L] [--level N] [--adult [0|1]]
//       [--transfer N] [--privilege-a N] [--privilege-b N] [--warning-level N]
//       [--suspension-kind N] [--warning-text T] [--extra N] [--points N] --home DIR
//   dovel-central reports --home DIR
//   dovel-central false-reports set HASH N --home DIR
//   dovel-central false-reports list --home DIR
struct Command {
  enum class Kind { Serve, UserAdd, UserList, UserDelete, UserSet, Reports, FalseReportSet, FalseReportList };
  Kind kind = Kind::Serve;
  std::filesystem::path home;
  // Serve
  std::optional<platform::Ipv4> host;
  bool open_signup = false;
  std::optional<size_t> channel_capacity;
  StatusFileFields status_file;  // what the web host's status file says at start
  // User commands
  std::string user_id;
  NewAccount new_account;
  AccountChanges changes;
  // false-reports set
  std::string hash;
  uint16_t false_reports = 0;
};

struct CommandLine {
  std::optional<Command> command;  // nullopt: `error` says what is wrong
  std::string error;
};

// Arguments after the program name.
CommandLine parse_command_line(const std::vector<std::string>& arguments);

extern const char* const kUsage;

}  // namespace dovel::central
