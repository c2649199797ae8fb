#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/socket.h"
#include "search/search_content_lists.h"
#include "search/search_observer.h"
#include "service/endpoints.h"

namespace dovel::search::test {

// Content lists with the entries a test puts in (all compared in lower case, as the real lists do).
class ListedContent final : public SearchContentLists {
 public:
  std::set<std::string> forbidden_names;       // a name containing one is forbidden
  std::set<std::string> restricted_folders;    // words
  std::set<std::string> restricted_files;      // words
  std::set<std::string> forbidden_hashes;
  std::set<std::string> forbidden_extensions;
  std::set<std::string> masked_words;
  std::set<std::string> forbidden_search_words;

  bool forbidden_name(std::string_view name) const override { return contains_word(forbidden_names, name); }
  bool restricted_folder_name(std::string_view name) const override { return contains_word(restricted_folders, name); }
  bool restricted_file_name(std::string_view stem) const override { return contains_word(restricted_files, stem); }
  bool forbidden_file(std::string_view hash) const override { return forbidden_hashes.count(std::string(hash)) > 0; }
  bool forbidden_extension(std::string_view extension) const override { return forbidden_extensions.count(std::string(extension)) > 0; }
  std::string masked(std::string_view name) const override {
    std::string shown(name);
    for (const std::string& word : masked_words) {
      for (size_t at = shown.find(word); at != std::string::npos; at = shown.find(word, at + word.size())) {
        shown.replace(at, word.size(), std::string(word.size(), '#'));
      }
    }
    return shown;
  }
  bool forbidden_search_word(std::string_view text) const override { return forbidden_search_words.count(std::string(text)) > 0; }

 private:
  static bool contains_word(const std::set<std::string>& words, std::string_view text) {
    return std::any_of(words.begin(), words.end(), [&](const std::string& word) { return text.find(word) != std::string_view::npos; });
  }
};

// Everything a search told, in order.
class RecordingObserver final : public SearchObserver {
 public:
  enum class Kind { Started, SendingDone, ResultsChanged, Stopped, Message };
  struct Event {
    Kind kind;
    uint32_t number = 0;
    std::string text;
  };

  void search_started(uint32_t number) override { add({Kind::Started, number, {}}); }
  void sending_done(uint32_t number) override { add({Kind::SendingDone, number, {}}); }
  void results_changed(uint32_t number) override { add({Kind::ResultsChanged, number, {}}); }
  void search_stopped(uint32_t number) override { add({Kind::Stopped, number, {}}); }
  void user_message(const std::string& text) override { add({Kind::Message, 0, text}); }

  size_t count(Kind kind, std::optional<uint32_t> number = std::nullopt) const {
    std::lock_guard guard(lock_);
    return static_cast<size_t>(std::count_if(events_.begin(), events_.end(), [&](const Event& event) {
      return event.kind == kind && (!number || event.number == *number);
    }));
  }
  std::vector<Event> events() const {
    std::lock_guard guard(lock_);
    return events_;
  }

 private:
  void add(Event event) {
    std::lock_guard guard(lock_);
    events_.push_back(std::move(event));
  }

  mutable std::mutex lock_;
  std::vector<Event> events_;
};

// A UDP socket on a loopback address of the test's, port 0: stands for a
// listed share server (or the own one) and sees the queries sent to it.
class QueryCatcher {
 public:
  explicit QueryCatcher(platform::Ipv4 address) : fd_(platform::make_udp_socket_bound(address, 0)), address_(address) {}

  service::Endpoint endpoint() const { return {address_, platform::local_port(fd_.get())}; }

  // The next datagram, or nullopt after `timeout_ms`.
  std::optional<std::string> receive(int timeout_ms = 10000) const {
    std::string buffer(8192, '\0');
    const ssize_t size = platform::receive_some(fd_.get(), buffer.data(), buffer.size(), timeout_ms);
    if (size < 0) return std::nullopt;
    buffer.resize(static_cast<size_t>(size));
    return buffer;
  }

 private:
  platform::UniqueFd fd_;
  platform::Ipv4 address_;
};

}  // namespace dovel::search::test
