// dovel-tool: small command-line helper around the core's encoders, hashes and
// request parser. Arguments and output are UTF-8; what travels is converted to
// CP949 inside, exactly as the client does it.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/tool_control_command.h"
#include "base/text.h"
#include "cli/tool_local_commands.h"
#include "cli/tool_login_command.h"
#include "cli/tool_settings_commands.h"
#include "cli/tool_share_commands.h"
#include "platform/socket.h"
#include "share/file_hash.h"
#include "util/launch_request.h"
#include "util/letter_pair.h"

namespace {

using namespace dovel;

constexpr const char* kUsage =
    "usage: dovel-tool COMMAND [ARGUMENTS]\n"
    "\n"
    "commands:\n"
    "  hash FILE                          print the file's FileHash (sampled MD5)\n"
    "  folder-hash WALKPATH NAME INDEX    print the hash of sub-folder NAME below WALKPATH\n"
    "                                     (backslash-separated, empty for the top) of share INDEX\n"
    "  encode TEXT                        print the letter-pair encoding of TEXT\n"
    "  decode TEXT                        print the text a letter-pair encoding stands for\n"
    "  parse URL                          print the fields of a dovel:// request\n"
    "  db-init [--home DIR]               create and migrate the data home's two database files\n"
    "  index [--home DIR]                 hash the data home's shared folders once and print\n"
    "                                     files=N bytes=B mib=M hashed=K\n"
    "  share add [--home DIR] NAME PATH [--adult] [--friend] [--secret]\n"
    "                                     add a shared folder (always readable)\n"
    "  share list [--home DIR]            print index, name, folder and access of every shared folder\n"
    "  share remove [--home DIR] NAME     remove a shared folder, renumbering the shared-files table\n"
    "  set [--home DIR] VALUE_NAME VALUE  change a settings value, checked as the settings pages do\n"
    "  get [--home DIR] [VALUE_NAME]      print a settings value, or every value as NAME=VALUE\n"
    "  login [--home DIR] ID PASSWORD     keep the login for automatic login at start\n"
    "  ctl [--home DIR] COMMAND [ARG...]  send a command to the doveld running on the data home:\n"
    "                                     status, log [POSITION], request URL, exit\n"
    "  --help                             show this text\n";

int usage_error() {
  std::fputs(kUsage, stderr);
  return 2;
}

int print_line(const std::string& text) {
  std::printf("%s\n", text.c_str());
  return 0;
}

int hash_command(const std::string& file) {
  auto hash = share::sampled_md5_of_file(file);
  if (!hash) {
    std::fprintf(stderr, "dovel-tool: no hash can be made of %s\n", file.c_str());
    return 1;
  }
  return print_line(*hash);
}

int folder_hash_command(const std::string& walk_path, const std::string& name, const std::string& index_text) {
  auto index = base::parse_int64(index_text);
  if (!index || *index < 0 || *index > 0x7fffffff) {
    std::fprintf(stderr, "dovel-tool: the share index must be a number from 0\n");
    return 2;
  }
  auto hash = share::folder_hash(walk_path, name, static_cast<settings::ShareIndex>(*index));
  if (!hash) {
    std::fprintf(stderr, "dovel-tool: the path or name cannot be written in CP949\n");
    return 1;
  }
  return print_line(*hash);
}

int encode_command(const std::string& text) {
  std::string encoded = util::EncodeWire(text);
  if (encoded.empty()) {
    std::fprintf(stderr, "dovel-tool: nothing to encode (empty, or not writable in CP949)\n");
    return 1;
  }
  return print_line(encoded);
}

int decode_command(const std::string& text) {
  std::string decoded = util::DecodeWire(text);
  if (decoded.empty()) {
    std::fprintf(stderr, "dovel-tool: not a letter-pair encoding\n");
    return 1;
  }
  return print_line(decoded);
}

int parse_command(const std::string& url) {
  util::CLaunchRequest request;
  if (!request.Parse(url)) {
    std::fprintf(stderr, "dovel-tool: not an acceptable dovel:// request\n");
    return 1;
  }
  std::printf("kind=%u\n", static_cast<unsigned>(request.kind));
  std::printf("raw=%s\n", request.raw.c_str());
  std::printf("address=%s\n", platform::format_ipv4(request.address).c_str());
  std::printf("port=%u\n", request.port);
  std::printf("user_id=%s\n", request.user_id.c_str());
  std::printf("hash=%s\n", request.hash.c_str());
  std::printf("name=%s\n", request.name.c_str());
  std::printf("size=%lld\n", static_cast<long long>(request.size));
  std::printf("search_text=%s\n", request.search_text.c_str());
  std::printf("hash_list=%s\n", base::join(request.hash_list, ",").c_str());
  std::printf("login_id=%s\n", request.login_id.c_str());
  std::printf("password=%s\n", request.password.c_str());
  return 0;
}

// Each command takes the words after its name and returns the exit code.
using CommandMain = int (*)(const std::vector<std::string>& words);

struct Command {
  std::string_view name;
  CommandMain run;
};

template <int (*Run)(const std::string&)>
int with_one_operand(const std::vector<std::string>& words) {
  return words.size() == 1 ? Run(words[0]) : usage_error();
}

int folder_hash_main(const std::vector<std::string>& words) {
  return words.size() == 3 ? folder_hash_command(words[0], words[1], words[2]) : usage_error();
}

constexpr Command kCommands[] = {
    {"hash", with_one_operand<hash_command>},
    {"folder-hash", folder_hash_main},
    {"encode", with_one_operand<encode_command>},
    {"decode", with_one_operand<decode_command>},
    {"parse", with_one_operand<parse_command>},
    {"db-init", cli::db_init_command},
    {"index", cli::index_command},
    {"share", cli::share_command},
    {"set", cli::set_command},
    {"get", cli::get_command},
    {"login", cli::login_command},
    {"ctl", cli::control_command},
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.empty()) return usage_error();
  const std::string& command = arguments[0];
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const std::vector<std::string> words(arguments.begin() + 1, arguments.end());
  for (const Command& known : kCommands) {
    if (known.name == command) return known.run(words);
  }
  return usage_error();
}
