#include "browse/listing.h"

#include "base/text.h"
#include "browse/leading_fields.h"
#include "share/shareable_name.h"
#include "util/letter_pair.h"
#include "wire/wire_text.h"

namespace dovel::browse {
namespace {

constexpr uint32_t kMaskOnlyBits = kFriendBit | kSecretBit;
constexpr size_t kMaxNameBytes = 1024;

// A share name only travels back in "C" requests; a file or folder name also
// names a file on this machine, so it must be a name the wire can carry.
bool acceptable_name(const std::string& kind, const std::string& name) {
  if (name.empty() || name.size() > kMaxNameBytes || name == "." || name == "..") return false;
  if (kind == kShareRootKind) {
    return !base::has_control_byte(name) && name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
  }
  return share::is_shareable_name(name);
}

std::string_view extension_of(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

std::string_view stem_of(std::string_view name) { return name.substr(0, name.rfind('.')); }

// A row as a record gave it, with the FileHash the record carried (the list does not show it).
struct RecordRow {
  ListingRow row;
  std::string hash;
};

// The content lists' verdict: nullopt when the row is hidden, else the name to show.
std::optional<std::string> shown_name(const RecordRow& record, const ListingRules& rules) {
  const ListingRow& row = record.row;
  const ContentLists& lists = *rules.lists;
  const bool checked = !rules.transfer_flag;
  const bool mask_only = rules.magic && (row.attributes & kMaskOnlyBits) != 0;
  if (checked && lists.forbidden_name(row.name)) return std::nullopt;
  if (row.is_file()) {
    if (checked && !mask_only && !record.hash.empty() && lists.forbidden_file(record.hash)) return std::nullopt;
    if (checked && lists.forbidden_extension(base::ascii_lower(extension_of(row.name)))) return std::nullopt;
    if (checked && !mask_only && lists.restricted_file_name(stem_of(row.name))) return std::nullopt;
  } else if (checked && !mask_only && lists.restricted_folder_name(row.name)) {
    return std::nullopt;
  }
  return checked ? lists.masked(row.name) : row.name;
}

ListingRow back_row() {
  ListingRow row;
  row.name = row.shown_name = "..";
  row.kind = kBackRowKind;
  row.size_text = size_column_text(row.kind, row.name, 0, 0);
  row.encoded_name = util::Encode(row.name);
  return row;
}

// One record as a row, before the content lists; nullopt when it is refused.
std::optional<RecordRow> row_of_record(std::string_view record) {
  const std::vector<std::string_view> fields = leading_fields(record, '|', 6);
  if (fields.size() < 5) return std::nullopt;
  auto name = wire::read_field(fields[1]);
  auto size = base::parse_int64(fields[2]);
  auto time = base::parse_uint64(fields[3]);
  auto attributes = base::parse_uint32(fields[4]);
  if (!name || !size || *size < 0 || !time || !attributes) return std::nullopt;
  ListingRow row;
  if (fields[0] == "R") {
    row.kind = kShareRootKind;
  } else if (fields[0] == "D") {
    row.kind = *name == ".." ? kParentKind : kFolderKind;
  } else {
    row.kind = kFileKind;
  }
  if (row.kind != kParentKind && !acceptable_name(row.kind, *name)) return std::nullopt;
  if (row.is_file() && base::iequals_ascii(*name, "Thumbs.db")) return std::nullopt;
  row.name = std::move(*name);
  row.size = row.is_file() ? *size : 0;
  row.time = *time;
  row.attributes = *attributes;
  row.size_text = size_column_text(row.kind, row.name, row.size, row.attributes);
  row.time_text = time_column_text(row.time);
  row.attribute_text = attribute_column_text(row.attributes);
  row.encoded_name = util::Encode(row.name);
  return RecordRow{std::move(row), fields.size() > 5 ? base::ascii_lower(fields[5]) : std::string()};
}

// The "*"-ended records of a listing one at a time, empty ones skipped.
class RecordReader {
 public:
  explicit RecordReader(std::string_view body) : rest_(body) {}
  std::optional<std::string_view> next() {
    while (!rest_.empty()) {
      const size_t end = rest_.find('*');
      const std::string_view record = rest_.substr(0, end);
      rest_ = end == std::string_view::npos ? std::string_view() : rest_.substr(end + 1);
      if (!record.empty()) return record;
    }
    return std::nullopt;
  }

 private:
  std::string_view rest_;
};

}  // namespace

std::string relative_path_of(const std::string& current_path) {
  if (current_path.size() <= 1) return current_path;
  const size_t backslash = current_path.find('\\');
  return backslash == std::string::npos ? std::string("\\") : current_path.substr(backslash);
}

std::optional<ListingPage> parse_listing(std::string_view wire_body, const ListingRules& rules) {
  RecordReader records(wire_body);
  const std::optional<std::string_view> first = records.next();
  if (!first) return std::nullopt;
  auto path = wire::read_field(first->size() > 4 ? first->substr(4) : std::string_view());
  if (!path || base::has_control_byte(*path)) return std::nullopt;

  static const PassingContentLists kPassEverything;
  ListingRules applied = rules;
  if (applied.lists == nullptr) applied.lists = &kPassEverything;

  ListingPage page;
  page.current_path = std::move(*path);
  page.relative_path = relative_path_of(page.current_path);
  if (page.current_path.empty()) {
    page.rows.push_back(back_row());
    page.listing_attributes = 0;
  }
  for (auto text = records.next(); text && page.rows.size() < kMaxListingRows; text = records.next()) {
    std::optional<RecordRow> record = row_of_record(*text);
    if (!record) continue;
    std::optional<std::string> shown = shown_name(*record, applied);
    if (!shown) continue;
    record->row.shown_name = std::move(*shown);
    page.listing_attributes = record->row.attributes;
    page.rows.push_back(std::move(record->row));
  }
  return page;
}

}  // namespace dovel::browse
