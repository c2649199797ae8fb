#include "app/browse_control_commands.h"

#include <string>
#include <vector>

#include "base/text.h"
#include "util/json_text.h"

namespace dovel::app {
namespace {

std::string kind_word(const browse::ListingRow& row) {
  if (row.is_back_row()) return "back";
  if (row.is_share_root()) return "share";
  if (row.kind == browse::kParentKind) return "parent";
  if (row.is_file()) return "file";
  return "folder";
}

std::string listing_json(const browse::BrowserSnapshot& view) {
  std::vector<std::string> rows;
  for (const browse::ListingRow& row : view.rows) {
    rows.push_back(util::JsonObject()
                       .add("name", row.name)
                       .add("shown", row.shown_name)
                       .add("kind", kind_word(row))
                       .add("size", row.size)
                       .add("size_text", row.size_text)
                       .add("time", row.time_text)
                       .add("access", row.attribute_text)
                       .text());
  }
  return util::JsonObject()
      .add("ok", true)
      .add("peer", view.peer_id)
      .add("label", view.peer_label)
      .add("path", view.current_path)
      .add_json("rows", util::json_array(rows))
      .text();
}

// The browser's latest message, which says why nothing was listed.
std::string refusal(const browse::RemoteBrowser& browser, std::string_view fallback) {
  const browse::BrowserSnapshot view = browser.snapshot();
  return control_failure(view.messages.empty() ? fallback : std::string_view(view.messages.back()));
}

enum class Sent { Request, Nothing, NothingNeeded };

Sent sent_if(bool sent) { return sent ? Sent::Request : Sent::Nothing; }

Sent sent_by(browse::StartOutcome outcome) {
  switch (outcome) {
    case browse::StartOutcome::Started: return Sent::Request;
    case browse::StartOutcome::AlreadyOpen: return Sent::NothingNeeded;
    case browse::StartOutcome::Refused: break;
  }
  return Sent::Nothing;
}

// Sends what `send` sends and answers with the listing it led to.
std::string listing_after(browse::RemoteBrowser& browser, std::chrono::milliseconds wait, const std::function<Sent()>& send) {
  const browse::ListingMark mark = browser.mark();
  const Sent sent = send();
  if (sent == Sent::NothingNeeded) return listing_json(browser.snapshot());
  if (sent == Sent::Nothing) return refusal(browser, "nothing was sent: no session, or no such entry");
  switch (browser.wait_for_listing(mark, wait)) {
    case browse::ListingWait::Listing: return listing_json(browser.snapshot());
    case browse::ListingWait::Refused: return refusal(browser, "refused");
    case browse::ListingWait::Ended: return refusal(browser, "the session ended");
    case browse::ListingWait::TimedOut: break;
  }
  return refusal(browser, "no listing arrived in time");
}

std::string browse_command(browse::RemoteBrowser& browser, std::chrono::milliseconds wait, std::string_view target) {
  if (target.empty()) return control_failure("browse takes a user ID or ADDRESS:PORT");
  const size_t colon = target.rfind(':');
  if (colon != std::string_view::npos) {
    std::optional<platform::Ipv4> address = platform::parse_ipv4(target.substr(0, colon));
    std::optional<uint64_t> port = base::parse_uint64(target.substr(colon + 1));
    if (!address || !port || *port == 0 || *port > 0xFFFF) return control_failure("browse takes a user ID or ADDRESS:PORT");
    return listing_after(browser, wait, [&] { return sent_by(browser.explore_address(*address, static_cast<uint16_t>(*port))); });
  }
  return listing_after(browser, wait, [&] { return sent_by(browser.explore_user(std::string(target))); });
}

std::string cd_command(browse::RemoteBrowser& browser, std::chrono::milliseconds wait, std::string_view path) {
  if (path.empty()) return control_failure("cd takes a folder");
  if (path.front() == '\\') {
    return listing_after(browser, wait, [&] { return sent_if(browser.change_folder(std::string(path))); });
  }
  std::string answer;
  for (const std::string& step : base::split(std::string(path), '\\')) {
    if (step.empty()) continue;
    answer = listing_after(browser, wait, [&] { return sent_if(browser.open_entry(step)); });
    if (!answer.starts_with("{\"ok\":true")) return answer;
  }
  return answer.empty() ? control_failure("cd takes a folder") : answer;
}

// The names a get command means: "a|b", one name of the listing, or blank-separated names.
std::vector<std::string> names_of(const browse::RemoteBrowser& browser, std::string_view argument) {
  if (argument.find('|') != std::string_view::npos) return base::split(std::string(argument), '|');
  const browse::BrowserSnapshot view = browser.snapshot();
  for (const browse::ListingRow& row : view.rows) {
    if (row.is_file() && row.name == argument) return {std::string(argument)};
  }
  std::vector<std::string> names;
  for (const std::string& word : base::split(std::string(argument), ' ')) {
    if (!word.empty()) names.push_back(word);
  }
  return names;
}

std::string get_command(browse::RemoteBrowser& browser, std::string_view argument) {
  const std::vector<std::string> names = names_of(browser, argument);
  if (names.empty()) return control_failure("get takes the names of files in the current folder");
  const size_t sent = browser.request_downloads(names);
  if (sent == 0) return refusal(browser, "nothing was requested");
  return util::JsonObject().add("ok", true).add("requested", static_cast<uint64_t>(sent)).text();
}

}  // namespace

void add_browse_control_commands(ControlTarget& target, browse::RemoteBrowser& browser, std::chrono::milliseconds wait) {
  target.commands["browse"] = [&browser, wait](std::string_view argument) { return browse_command(browser, wait, argument); };
  target.commands["cd"] = [&browser, wait](std::string_view argument) { return cd_command(browser, wait, argument); };
  target.commands["password"] = [&browser](std::string_view argument) {
    browser.set_folder_password(std::string(argument));
    return util::JsonObject().add("ok", true).text();
  };
  target.commands["get"] = [&browser](std::string_view argument) { return get_command(browser, argument); };
}

}  // namespace dovel::app
