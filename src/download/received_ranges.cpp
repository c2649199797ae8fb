#include "download/received_ranges.h"

#include <algorithm>
#include <mutex>

#include "base/text.h"
#include "db/sqlite_error.h"

namespace dovel::download {

ReceivedRanges::ReceivedRanges(int64_t size) : ReceivedRanges(size, {}) {}

ReceivedRanges::ReceivedRanges(int64_t size, const std::vector<ByteRange>& missing) : size_(std::max<int64_t>(size, 0)) {
  for (const ByteRange& range : missing) {
    if (range.length() > 0) pieces_.push_back({range, kNoConnection});
  }
  if (pieces_.empty() && size_ > 0) pieces_.push_back({{0, size_}, kNoConnection});
}

int64_t ReceivedRanges::received() const {
  int64_t missing = 0;
  for (const Piece& piece : pieces_) missing += piece.range.length();
  return size_ - missing;
}

int64_t ReceivedRanges::largest_piece() const {
  int64_t largest = 0;
  for (const Piece& piece : pieces_) largest = std::max(largest, piece.range.length());
  return largest;
}

ReceivedRanges::Assignment ReceivedRanges::assign(ConnectionId newcomer, int other_active_connections) {
  Assignment assignment;
  if (newcomer == kNoConnection || pieces_.empty()) return assignment;
  for (Piece& piece : pieces_) {
    if (piece.owner == kNoConnection) {
      piece.owner = newcomer;
      assignment.piece = piece.range;
      return assignment;
    }
  }
  size_t largest = 0;
  for (size_t i = 1; i < pieces_.size(); ++i) {
    if (pieces_[i].range.length() > pieces_[largest].range.length()) largest = i;
  }
  if (pieces_[largest].range.length() >= kSplittablePiece) {
    assignment.piece = split_for(largest, newcomer);
  } else if (other_active_connections == 1) {
    const ConnectionId owner = pieces_[largest].owner;
    assignment.piece = split_for(largest, newcomer);
    if (assignment.piece) assignment.close_owner = owner;
  }
  return assignment;
}

std::optional<ByteRange> ReceivedRanges::split_for(size_t largest, ConnectionId newcomer) {
  const ByteRange range = pieces_[largest].range;
  const int64_t split = range.start + (range.length() + 1) / 2;
  if (split >= size_ || split >= range.end) return std::nullopt;
  pieces_[largest].range.end = split;
  const ByteRange upper{split, range.end};
  pieces_.insert(pieces_.begin() + static_cast<std::ptrdiff_t>(largest) + 1, Piece{upper, newcomer});
  return upper;
}

ReceivedRanges::Piece* ReceivedRanges::find_owned(ConnectionId owner) {
  if (owner == kNoConnection) return nullptr;
  for (Piece& piece : pieces_) {
    if (piece.owner == owner) return &piece;
  }
  return nullptr;
}

const ReceivedRanges::Piece* ReceivedRanges::find_owned(ConnectionId owner) const {
  return const_cast<ReceivedRanges*>(this)->find_owned(owner);
}

std::optional<ByteRange> ReceivedRanges::piece_of(ConnectionId owner) const {
  const Piece* piece = find_owned(owner);
  if (piece == nullptr) return std::nullopt;
  return piece->range;
}

int64_t ReceivedRanges::advance(ConnectionId owner, int64_t count) {
  Piece* piece = find_owned(owner);
  if (piece == nullptr) return 0;
  piece->range.start = std::min(piece->range.end, piece->range.start + std::max<int64_t>(count, 0));
  return piece->range.length();
}

void ReceivedRanges::release(ConnectionId owner) {
  Piece* piece = find_owned(owner);
  if (piece == nullptr) return;
  piece->owner = kNoConnection;
  if (piece->range.length() <= 0) pieces_.erase(pieces_.begin() + (piece - pieces_.data()));
}

std::vector<ByteRange> ReceivedRanges::missing() const {
  std::vector<ByteRange> ranges;
  ranges.reserve(pieces_.size());
  for (const Piece& piece : pieces_) {
    if (piece.range.length() > 0) ranges.push_back(piece.range);
  }
  return ranges;
}

std::vector<ByteRange> clamp_recorded_ranges(std::vector<ByteRange> recorded, int64_t size, int64_t file_length) {
  if (size <= 0 || recorded.empty()) return {};
  const int64_t written_end = std::clamp<int64_t>(file_length, 0, size);
  if (written_end < size) recorded.push_back({written_end, size});
  std::vector<ByteRange> cut;
  for (ByteRange range : recorded) {
    range.start = std::max<int64_t>(range.start, 0);
    range.end = std::min(range.end, size);
    if (range.length() > 0) cut.push_back(range);
  }
  std::sort(cut.begin(), cut.end(), [](const ByteRange& a, const ByteRange& b) { return a.start < b.start; });
  std::vector<ByteRange> merged;
  for (const ByteRange& range : cut) {
    if (!merged.empty() && range.start <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, range.end);
    } else {
      merged.push_back(range);
    }
  }
  return merged;
}

std::vector<ByteRange> load_ranges(db::InfoDatabase& info, const std::string& hash) {
  std::lock_guard guard(info.info_lock());
  std::vector<ByteRange> ranges;
  try {
    db::Sqlite2Statement select = info.connection().Prepare("Select [start_pos],[end_pos] From [down_file_info] Where [hash]=?");
    select.Bind(0, hash);
    for (db::Sqlite2Query query = select.Query(); !query.AtEnd(); query.Next()) {
      std::optional<int64_t> start = base::parse_int64(query.Text(0));
      std::optional<int64_t> end = base::parse_int64(query.Text(1));
      if (!start || !end || *end <= 0) continue;
      ranges.push_back({*start, *end});
    }
  } catch (const db::CppSQLiteException&) {
  }
  return ranges;
}

bool save_ranges(db::InfoDatabase& info, const std::string& hash, const std::vector<ByteRange>& pieces) {
  std::lock_guard guard(info.info_lock());
  // The delete and the inserts land together or not at all, inside or outside
  // an open transaction of the info database.
  if (!info.InfoExecute("Savepoint [received_ranges];")) return false;
  bool saved = false;
  try {
    db::Sqlite2Statement remove = info.connection().Prepare("Delete From [down_file_info] Where [hash]=?");
    remove.Bind(0, hash);
    remove.Execute();
    db::Sqlite2Statement insert = info.connection().Prepare("Insert Into [down_file_info] ([hash],[start_pos],[end_pos]) Values(?,?,?)");
    for (const ByteRange& piece : pieces) {
      insert.Bind(0, hash);
      insert.Bind(1, piece.start);
      insert.Bind(2, piece.end);
      insert.Execute();
    }
    saved = true;
  } catch (const db::CppSQLiteException&) {
  }
  if (!saved) info.InfoExecute("Rollback To [received_ranges];");
  info.InfoExecute("Release [received_ranges];");
  return saved;
}

}  // namespace dovel::download
