#pragma once

#include <string>
#include <string_view>

namespace dovel::browse {

// The service's content lists as remote browsing asks them: names, files and
// extensions not to show, and words to mask in shown names. The lists come
// with their own issue; until then PassingContentLists lets everything through.
class ContentLists {
 public:
  virtual ~ContentLists() = default;
  // Either forbidden-name list matches (pairs or sequences).
  virtual bool forbidden_name(std::string_view name) const = 0;
  // The restricted-name lists: folder names, and file names without extension.
  virtual bool restricted_folder_name(std::string_view name) const = 0;
  virtual bool restricted_file_name(std::string_view stem) const = 0;
  // The forbidden-file list (FileHash values) and the forbidden extensions.
  virtual bool forbidden_file(std::string_view hash) const = 0;
  virtual bool forbidden_extension(std::string_view extension) const = 0;
  // The name with every listed word overwritten by '#', one per byte.
  virtual std::string masked(std::string_view name) const = 0;
};

class PassingContentLists final : public ContentLists {
 public:
  bool forbidden_name(std::string_view) const override { return false; }
  bool restricted_folder_name(std::string_view) const override { return false; }
  bool restricted_file_name(std::string_view) const override { return false; }
  bool forbidden_file(std::string_view) const override { return false; }
  bool forbidden_extension(std::string_view) const override { return false; }
  std::string masked(std::string_view name) const override { return std::string(name); }
};

}  // namespace dovel::browse
