#include "central/command_line.h"

#include <map>
#include <set>

#include "base/text.h"
#include "service/point_messages.h"

namespace dovel::central {
namespace {

// Options take a value unless they are listed as switches.
const std::set<std::string> kSwitches = {"--open-signup", "--magic", "--psub"};
// A switch that may be given a value: alone it means 1; "0" or "1" right after it is its value.
constexpr std::string_view kAdultOption = "--adult";

bool is_adult_value(std::string_view word) { return word == "0" || word == "1"; }

struct Split {
  std::vector<std::string> words;
  std::map<std::string, std::string> options;  // switches map to ""
};

std::optional<Split> split_arguments(const std::vector<std::string>& arguments, std::string& error) {
  Split split;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.rfind("--", 0) != 0) {
      split.words.push_back(argument);
      continue;
    }
    if (split.options.count(argument) != 0) {
      error = argument + " is given twice";
      return std::nullopt;
    }
    if (argument == kAdultOption) {
      const bool valued = i + 1 < arguments.size() && is_adult_value(arguments[i + 1]);
      split.options[argument] = valued ? arguments[++i] : "1";
    } else if (kSwitches.count(argument) != 0) {
      split.options[argument] = "";
    } else if (i + 1 < arguments.size()) {
      split.options[argument] = arguments[++i];
    } else {
      error = argument + " needs a value";
      return std::nullopt;
    }
  }
  return split;
}

template <typename Number>
bool number_option(const Split& split, const std::string& name, int64_t low, int64_t high, std::optional<Number>& target, std::string& error) {
  auto found = split.options.find(name);
  if (found == split.options.end()) return true;
  std::optional<int64_t> value = base::parse_int64(found->second);
  if (!value || *value < low || *value > high) {
    error = name + " takes a number from " + std::to_string(low) + " to " + std::to_string(high);
    return false;
  }
  target = static_cast<Number>(*value);
  return true;
}

std::optional<std::string> text_option(const Split& split, const std::string& name) {
  auto found = split.options.find(name);
  return found == split.options.end() ? std::nullopt : std::optional<std::string>(found->second);
}

bool only_known_options(const Split& split, const std::set<std::string>& known, std::string& error) {
  for (const auto& [name, value] : split.options) {
    if (known.count(name) == 0 && name != "--home") {
      error = "unknown option " + name;
      return false;
    }
  }
  return true;
}

// The status file's fields: maintenance with its notice and end, and the two switches.
bool parse_status_file(const Split& split, StatusFileFields& fields, std::string& error) {
  if (auto message = text_option(split, "--maintenance")) {
    fields.checking = "1";
    fields.message = *message;
  }
  fields.endtime = text_option(split, "--maintenance-end").value_or("");
  if (!fits_startup_document(fields.message, kMaxStatusTextBytes) || !fits_startup_document(fields.endtime, kMaxStatusTextBytes)) {
    error = "--maintenance and --maintenance-end take up to " + std::to_string(kMaxStatusTextBytes) +
            " bytes of text with a CP949 form and no control bytes";
    return false;
  }
  if (split.options.count("--magic") != 0) fields.magic = "1";
  if (split.options.count("--psub") != 0) fields.psub = "1";
  return true;
}

bool parse_serve(const Split& split, Command& command, std::string& error) {
  if (!split.words.empty()) {
    error = "unknown command " + split.words[0];
    return false;
  }
  if (!only_known_options(split,
                          {"--host", "--open-signup", "--channel-capacity", "--maintenance", "--maintenance-end", "--magic", "--psub"},
                          error)) {
    return false;
  }
  if (auto host = text_option(split, "--host")) {
    command.host = platform::parse_ipv4(*host);
    if (!command.host) {
      error = "--host takes an IPv4 address";
      return false;
    }
  }
  command.open_signup = split.options.count("--open-signup") != 0;
  return number_option(split, "--channel-capacity", 1, 20000, command.channel_capacity, error) &&
         parse_status_file(split, command.status_file, error);
}

bool parse_user_add(const Split& split, Command& command, std::string& error) {
  if (split.words.size() != 4) {
    error = "user add takes an ID and a password";
    return false;
  }
  if (!only_known_options(split, {"--label", "--level", "--adult"}, error)) return false;
  command.new_account.user_id = split.words[2];
  command.new_account.password = split.words[3];
  command.new_account.label = text_option(split, "--label").value_or("");
  std::optional<int32_t> level;
  std::optional<uint8_t> adult;
  if (!number_option(split, "--level", INT32_MIN, INT32_MAX, level, error) || !number_option(split, "--adult", 0, 1, adult, error)) return false;
  command.new_account.member_level = level.value_or(0);
  command.new_account.adult = adult.value_or(0) == 1;
  return true;
}

bool parse_user_set(const Split& split, Command& command, std::string& error) {
  if (split.words.size() != 3) {
    error = "user set takes an ID";
    return false;
  }
  if (!only_known_options(split, {"--password", "--label", "--level", "--adult", "--transfer", "--privilege-a", "--privilege-b",
                                  "--warning-level", "--suspension-kind", "--warning-text", "--extra", "--points"},
                          error)) {
    return false;
  }
  command.user_id = split.words[2];
  AccountChanges& changes = command.changes;
  changes.password = text_option(split, "--password");
  changes.label = text_option(split, "--label");
  changes.warning_text = text_option(split, "--warning-text");
  std::optional<uint8_t> adult;
  const bool numbers_ok = number_option(split, "--level", INT32_MIN, INT32_MAX, changes.member_level, error) &&
                          number_option(split, "--adult", 0, 1, adult, error) &&
                          number_option(split, "--transfer", 0, 255, changes.transfer_flag, error) &&
                          number_option(split, "--privilege-a", 0, 255, changes.privilege_a, error) &&
                          number_option(split, "--privilege-b", 0, 255, changes.privilege_b, error) &&
                          number_option(split, "--warning-level", 0, 255, changes.warning_level, error) &&
                          number_option(split, "--suspension-kind", 0, 255, changes.suspension_kind, error) &&
                          number_option(split, "--extra", 0, 255, changes.extra_flag, error) &&
                          number_option(split, "--points", 0, INT64_MAX, changes.points, error);
  if (adult) changes.adult = *adult == 1;
  return numbers_ok;
}

bool parse_user(const Split& split, Command& command, std::string& error) {
  const std::string action = split.words.size() > 1 ? split.words[1] : "";
  if (action == "add") {
    command.kind = Command::Kind::UserAdd;
    return parse_user_add(split, command, error);
  }
  if (action == "set") {
    command.kind = Command::Kind::UserSet;
    return parse_user_set(split, command, error);
  }
  if (action == "list" || action == "del") {
    command.kind = action == "list" ? Command::Kind::UserList : Command::Kind::UserDelete;
    if (split.words.size() != (action == "list" ? 2u : 3u)) {
      error = action == "list" ? "user list takes no further words" : "user del takes an ID";
      return false;
    }
    if (action == "del") command.user_id = split.words[2];
    return only_known_options(split, {}, error);
  }
  error = "user takes add, list, del or set";
  return false;
}

// false-reports set HASH N | false-reports list
bool parse_false_reports(const Split& split, Command& command, std::string& error) {
  if (!only_known_options(split, {}, error)) return false;
  const std::string action = split.words.size() > 1 ? split.words[1] : "";
  if (action == "list" && split.words.size() == 2) {
    command.kind = Command::Kind::FalseReportList;
    return true;
  }
  if (action != "set" || split.words.size() != 4) {
    error = "false-reports takes set HASH N, or list";
    return false;
  }
  std::optional<std::string> hash = service::normalized_file_hash(split.words[2]);
  std::optional<int64_t> count = base::parse_int64(split.words[3]);
  if (!hash || !count || *count < 0 || *count > UINT16_MAX) {
    error = "false-reports set takes a hash of 32 hex digits and a count from 0 to 65535";
    return false;
  }
  command.kind = Command::Kind::FalseReportSet;
  command.hash = *hash;
  command.false_reports = static_cast<uint16_t>(*count);
  return true;
}

}  // namespace

const char* const kUsage =
    "usage: dovel-central --home DIR [--host ADDR] [--open-signup] [--channel-capacity N]\n"
    "                     [--maintenance MESSAGE] [--maintenance-end TEXT] [--magic] [--psub]\n"
    "       dovel-central user add ID PASSWORD [--label L] [--level N] [--adult [0|1]] --home DIR\n"
    "       dovel-central user list --home DIR\n"
    "       dovel-central user del ID --home DIR\n"
    "       dovel-central user set ID [--password P] [--label L] [--level N] [--adult [0|1]] [--transfer N]\n"
    "                                 [--privilege-a N] [--privilege-b N] [--warning-level N]\n"
    "                                 [--suspension-kind N] [--warning-text T] [--extra N]\n"
    "                                 [--points N] --home DIR\n"
    "       dovel-central reports --home DIR\n"
    "       dovel-central false-reports set HASH N --home DIR\n"
    "       dovel-central false-reports list --home DIR\n"
    "       dovel-central --help\n"
    "\n"
    "serving:\n"
    "  --home DIR              central.db, requests.log and service.conf (needed)\n"
    "  --host ADDR             serve every role on ADDR (host A and host B)\n"
    "  --open-signup           an unknown ID logging in becomes an account\n"
    "  --channel-capacity N    registrations per channel, 1..20000 (500)\n"
    "  --maintenance MESSAGE   the status file says: closed for maintenance, with this notice\n"
    "  --maintenance-end TEXT  when the maintenance ends, as the notice shows it\n"
    "  --magic, --psub         the status file turns that switch on\n"
    "\n"
    "From this machine only, the web host takes POST /admin/notice and /admin/line (text [to]),\n"
    "/admin/end-registration (address), /admin/status (checking message endtime magic psub),\n"
    "/admin/update-file (name version [check_size]) and /admin/update-clear; see central/README.md.\n"
    "\n"
    "Accounts start with 1000000 points, one per chargeable megabyte a download asks for\n"
    "(user set --points changes them); false-reports sets what the point servers answer\n"
    "for a file's false-file reports.\n";

CommandLine parse_command_line(const std::vector<std::string>& arguments) {
  CommandLine result;
  std::optional<Split> split = split_arguments(arguments, result.error);
  if (!split) return result;
  Command command;
  bool ok = false;
  const std::string first = split->words.empty() ? "" : split->words[0];
  if (first == "user") {
    ok = parse_user(*split, command, result.error);
  } else if (first == "false-reports") {
    ok = parse_false_reports(*split, command, result.error);
  } else if (first == "reports") {
    command.kind = Command::Kind::Reports;
    ok = split->words.size() == 1 && only_known_options(*split, {}, result.error);
    if (!ok && result.error.empty()) result.error = "reports takes no further words";
  } else {
    ok = parse_serve(*split, command, result.error);
  }
  if (!ok) return result;
  auto home = split->options.find("--home");
  if (home == split->options.end() || home->second.empty()) {
    result.error = "--home DIR is needed";
    return result;
  }
  command.home = home->second;
  result.command = std::move(command);
  return result;
}

}  // namespace dovel::central
