#pragma once

#include <filesystem>
#include <mutex>

namespace dovel::share {

enum class ArchiveVerdict {
  Allowed,    // not an archive, or nothing forbidden inside
  Forbidden,  // an archive holding a forbidden file type
  Error,      // the archive could not be checked
};

// Asks whether a file is an archive that holds forbidden entries. Callers hold
// archive_filter_lock() around the call.
class ArchiveChecker {
 public:
  virtual ~ArchiveChecker() = default;
  virtual ArchiveVerdict check_archive(const std::filesystem::path& file, bool probe_all) = 0;
};

// Until the content lists arrive there is nothing to forbid.
class NoArchiveCheck final : public ArchiveChecker {
 public:
  ArchiveVerdict check_archive(const std::filesystem::path&, bool) override { return ArchiveVerdict::Allowed; }
};

// The filter lock: one archive check at a time in the whole program.
std::mutex& archive_filter_lock();

}  // namespace dovel::share
