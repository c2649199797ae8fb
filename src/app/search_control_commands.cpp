#include "app/search_control_commands.h"

#include <charconv>
#include <string>
#include <vector>

#include "base/text.h"
#include "util/json_text.h"

namespace dovel::app {
namespace {

// Rows beyond these stay out of one answer line.
constexpr size_t kMaxAnsweredRows = 1000;

std::string state_word(search::SearchState state) {
  switch (state) {
    case search::SearchState::Idle: return "idle";
    case search::SearchState::FetchingLists: return "fetching-lists";
    case search::SearchState::Sending: return "sending";
    case search::SearchState::SendingDone: return "sending-done";
    case search::SearchState::Stopped: return "stopped";
  }
  return "idle";
}

std::string source_json(const search::ResultSource& source) {
  return util::JsonObject()
      .add("id", source.responder_id)
      .add("address", platform::format_ipv4(source.server.address))
      .add("port", static_cast<int64_t>(source.server.port))
      .add("response_ms", static_cast<int64_t>(source.response_ms))
      .add("name", source.name)
      .add("path", source.path)
      .add("share_index", static_cast<int64_t>(source.share_index))
      .text();
}

std::string row_json(const search::ResultRow& row) {
  std::vector<std::string> sources;
  for (const search::ResultSource& source : row.sources) sources.push_back(source_json(source));
  return util::JsonObject()
      .add("name", row.name)
      .add("size", row.size)
      .add("hash", row.hash)
      .add("kind", row.file_type == 1 ? "file" : "folder")
      .add("response_ms", static_cast<int64_t>(row.fastest_ms))
      .add_json("sources", util::json_array(sources))
      .text();
}

// WORDS [--ext EXT] or --hash HASH.
std::optional<search::SearchRequest> search_request(std::string_view argument) {
  std::vector<std::string> words;
  search::SearchRequest request;
  const std::vector<std::string> tokens = base::split(std::string(base::trim(argument)), ' ');
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (tokens[i] == "--ext" || tokens[i] == "--hash") {
      if (i + 1 >= tokens.size() || (tokens[i] == "--ext" && !request.extension.empty())) return std::nullopt;
      if (tokens[i] == "--ext") {
        request.extension = tokens[++i];
      } else {
        request.allow_hash_query = true;
        words.push_back(tokens[++i]);
      }
    } else if (!tokens[i].empty()) {
      words.push_back(tokens[i]);
    }
  }
  if (request.allow_hash_query && (words.size() != 1 || !request.extension.empty())) return std::nullopt;
  request.keyword = base::join(words, " ");
  return request;
}

std::optional<uint32_t> search_number(std::string_view text) {
  uint32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

}  // namespace

void add_search_control_commands(ControlTarget& target, search::SearchClient& client, search::ResultDownloads& downloads) {
  target.commands["search"] = [&client](std::string_view argument) {
    std::optional<search::SearchRequest> request = search_request(argument);
    if (!request) return control_failure("usage: search WORDS [--ext EXT] | search --hash HASH");
    const search::StartOutcome outcome = client.start(*request);
    if (outcome.needs_login) return control_failure("log in first: searching needs a logged-in user");
    if (!outcome.number) return control_failure(outcome.refusal);
    return util::JsonObject().add("ok", true).add("number", static_cast<int64_t>(*outcome.number)).text();
  };
  target.commands["results"] = [&client](std::string_view argument) {
    std::optional<uint32_t> number;
    if (!base::trim(argument).empty()) {
      number = search_number(base::trim(argument));
      if (!number) return control_failure("results takes a search number");
    }
    const std::optional<search::ResultSnapshot> snapshot = client.results(number);
    if (!snapshot) return control_failure("no such search");
    std::vector<std::string> rows;
    for (size_t i = 0; i < snapshot->rows.size() && i < kMaxAnsweredRows; ++i) rows.push_back(row_json(snapshot->rows[i]));
    const search::SearchProgress progress = client.progress();
    const bool current = progress.number == snapshot->number;
    return util::JsonObject()
        .add("ok", true)
        .add("number", static_cast<int64_t>(snapshot->number))
        .add("state", state_word(current ? progress.state : search::SearchState::Stopped))
        .add("sent", static_cast<int64_t>(current ? progress.sent : 0))
        .add("relayed", current && progress.relayed)
        .add("total", static_cast<int64_t>(snapshot->rows.size()))
        .add_json("rows", util::json_array(rows))
        .text();
  };
  target.commands["download-result"] = [&client, &downloads](std::string_view argument) {
    const std::optional<uint32_t> index = search_number(base::trim(argument));
    if (!index) return control_failure("usage: download-result ROW");
    const std::optional<search::ResultSnapshot> snapshot = client.results(std::nullopt);
    if (!snapshot || *index >= snapshot->rows.size()) return control_failure("no such row");
    const search::ResultRow& row = snapshot->rows[*index];
    if (!downloads.download(row)) return control_failure("the row's file cannot be queued");
    return util::JsonObject().add("ok", true).add("asking_hash", row.hash.empty()).text();
  };
  target.commands["stop-search"] = [&client](std::string_view argument) {
    if (!base::trim(argument).empty()) return control_failure("stop-search takes nothing");
    client.stop();
    return util::JsonObject().add("ok", true).text();
  };
}

}  // namespace dovel::app
