#include "central/startup_documents.h"

#include <algorithm>

#include "platform/cp949.h"

namespace dovel::central {

bool fits_startup_document(const std::string& text, size_t max_bytes) {
  if (text.size() > max_bytes || !platform::utf8_to_cp949(text)) return false;
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && c != '\r' && c != '\n' && c != '\t') || byte == 0x7f;
  });
}

StartupDocuments::StartupDocuments(StatusFileFields status) : status_(std::move(status)) {}

StatusFileFields StartupDocuments::status() const {
  std::lock_guard lock(lock_);
  return status_;
}

void StartupDocuments::set_status(const StatusFileFields& status) {
  std::lock_guard lock(lock_);
  status_ = status;
}

std::vector<UpdateListEntry> StartupDocuments::update_files() const {
  std::lock_guard lock(lock_);
  return files_;
}

bool StartupDocuments::put_update_file(const UpdateListEntry& entry) {
  std::lock_guard lock(lock_);
  auto same_name = std::find_if(files_.begin(), files_.end(), [&](const UpdateListEntry& file) { return file.name == entry.name; });
  if (same_name != files_.end()) {
    *same_name = entry;
    return true;
  }
  if (files_.size() >= kMaxUpdateFiles) return false;
  files_.push_back(entry);
  return true;
}

void StartupDocuments::clear_update_files() {
  std::lock_guard lock(lock_);
  files_.clear();
}

}  // namespace dovel::central
