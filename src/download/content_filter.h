#pragma once

#include <string>

namespace dovel::download {

// The service's lists of files and names that must not be transferred, as a
// download consults them.
class ContentFilter {
 public:
  virtual ~ContentFilter() = default;
  // The FileHash is on the forbidden-file list.
  virtual bool forbidden_file(const std::string& hash) = 0;
  // The file name matches one of the forbidden-name lists.
  virtual bool forbidden_name(const std::string& file_name) = 0;
};

// Until the lists arrive there is nothing to forbid.
class NoContentFilter final : public ContentFilter {
 public:
  bool forbidden_file(const std::string&) override { return false; }
  bool forbidden_name(const std::string&) override { return false; }
};

}  // namespace dovel::download
