#pragma once

#include <QInputMethodEvent>
#include <QWidget>
#include <QCoreApplication>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "search/result_tabs.h"
#include "search/search_content_lists.h"
#include "search/search_input.h"
#include "support/memory_window_values.h"
#include "ui/search/search_commands.h"

namespace dovel::ui::test {

// The search as the windows see it, without a network: real result tabs and
// the real input checks behind recording commands.
class SearchTestCore {
 public:
  // A record of `responder` at 10.0.0.`host`:6699, answered after `ms`.
  void add(uint32_t number, const std::string& name, int64_t size, const std::string& hash, const std::string& responder, int host,
           uint32_t ms) {
    search::ShownRecord shown;
    shown.record.name = name;
    shown.record.size = size;
    shown.record.hash = hash;
    shown.record.file_type = hash.empty() ? 0 : 1;
    shown.name = name;
    const search::FoundAt at{responder, {platform::parse_ipv4("10.0.0." + std::to_string(host)).value(), 6699}, ms};
    tabs.insert(number, {shown}, at);
  }

  SearchCommands commands() {
    SearchCommands commands;
    commands.start = [this](const search::SearchRequest& request) {
      search::PassingSearchContentLists lists;
      const search::PreparedQuery prepared = search::prepare_query(request, {}, lists);
      std::lock_guard guard(lock);
      requests.push_back(request);
      if (!prepared.ready()) return search::StartOutcome{std::nullopt, prepared.refusal, false};
      tabs.open(++next_number);
      running = true;
      return search::StartOutcome{next_number, {}, false};
    };
    commands.stop = [this] {
      std::lock_guard guard(lock);
      ++stops;
      running = false;
    };
    commands.running = [this] {
      std::lock_guard guard(lock);
      return running;
    };
    commands.progress = [this] {
      std::lock_guard guard(lock);
      return progress;
    };
    commands.results = [this](std::optional<uint32_t> number) -> std::optional<search::ResultSnapshot> {
      if (!number) number = tabs.latest();
      if (!number) return std::nullopt;
      return tabs.snapshot(*number);
    };
    commands.sort_latest = [this](search::SortColumn column) -> std::optional<search::SortOrder> {
      const std::optional<uint32_t> latest = tabs.latest();
      if (!latest) return std::nullopt;
      return tabs.click(*latest, column);
    };
    commands.clear_latest = [this] {
      if (const std::optional<uint32_t> latest = tabs.latest()) tabs.clear(*latest);
    };
    commands.download = [this](const search::ResultRow& row) {
      downloads.push_back(row.hash);
      return download_answer;
    };
    commands.explore = [this](const std::string& address, uint16_t port, const std::string& peer_id) {
      explored.push_back(address + ":" + std::to_string(port) + "/" + peer_id);
    };
    commands.values = &stored;
    commands.show_view = [this](int view) { views.push_back(view); };
    commands.privileged = [this] { return privileged; };
    return commands;
  }

  search::ResultTabs tabs;
  std::mutex lock;  // what the windows' worker thread touches
  bool running = false;
  search::SearchProgress progress;
  uint32_t next_number = 100;
  std::vector<search::SearchRequest> requests;
  int stops = 0;

  bool download_answer = true;
  bool privileged = false;
  std::vector<std::string> downloads;
  std::vector<std::string> explored;
  dovel::test::MemoryWindowValues stored;
  std::vector<int> views;
};

// Types a text the way an input method commits it (Hangul included).
inline void commit_text(QWidget* widget, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QCoreApplication::sendEvent(widget, &event);
}

inline std::string hash_of(char digit) { return std::string(32, digit); }

}  // namespace dovel::ui::test
