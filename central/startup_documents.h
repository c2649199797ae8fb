#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace dovel::central {

// The attributes of the status file ("server.xml"), as served (UTF-8 here).
// Texts rather than flags, so that any spelling a client must cope with can be
// served ("True", "yes", "").
struct StatusFileFields {
  std::string checking = "0";  // "1" or "true": closed for maintenance
  std::string message;         // the maintenance notice's text
  std::string endtime;         // when the maintenance ends, as display text
  std::string magic = "0";
  std::string psub = "0";
  bool operator==(const StatusFileFields&) const = default;
};

// One `file` element of the update list ("update.xml").
struct UpdateListEntry {
  std::string name;        // relative to the client's program folder, "/" between folders
  std::string version;
  std::string check_size;  // served only when not empty
  bool operator==(const UpdateListEntry&) const = default;
};

// Bounds of what the web host serves: a client reads at most 256 KiB of either
// document and at most 1024 bytes of a listed name.
inline constexpr size_t kMaxStatusTextBytes = 2000;
inline constexpr size_t kMaxSwitchTextBytes = 20;
inline constexpr size_t kMaxUpdateNameBytes = 1024;
inline constexpr size_t kMaxUpdateVersionBytes = 100;
inline constexpr size_t kMaxUpdateFiles = 100;

// A text the documents can carry: at most `max_bytes`, with a CP949 form (the
// documents travel in CP949), and no control bytes but line breaks and tabs.
bool fits_startup_document(const std::string& text, size_t max_bytes);

// The two documents every client fetches at start, switchable while the
// service runs (admin side of the web host, command line at start).
class StartupDocuments {
 public:
  explicit StartupDocuments(StatusFileFields status = {});

  StatusFileFields status() const;
  void set_status(const StatusFileFields& status);

  std::vector<UpdateListEntry> update_files() const;
  // Adds the entry, or replaces the one with the same name; false when the
  // list is full.
  bool put_update_file(const UpdateListEntry& entry);
  void clear_update_files();

 private:
  mutable std::mutex lock_;
  StatusFileFields status_;
  std::vector<UpdateListEntry> files_;
};

}  // namespace dovel::central
