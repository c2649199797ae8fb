#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/info_database.h"

namespace dovel::download {

inline constexpr int64_t kMiB = 1048576;
// A piece in use is split for a newcomer only from this length on.
inline constexpr int64_t kSplittablePiece = kMiB;

// Bytes [start, end) of the file.
struct ByteRange {
  int64_t start = 0;
  int64_t end = 0;  // exclusive
  int64_t length() const { return end - start; }
  bool operator==(const ByteRange&) const = default;
};

// Data connections are told apart by a number; 0 is nobody.
using ConnectionId = uint64_t;
inline constexpr ConnectionId kNoConnection = 0;

// The pieces of a file still to fetch, each owned by at most one data
// connection that fetches it from its front. Received = size - what the pieces
// hold. Used by the run of one item on its own thread only.
class ReceivedRanges {
 public:
  // One piece: the whole file.
  explicit ReceivedRanges(int64_t size);
  // The pieces recorded for the file; none means the whole file.
  ReceivedRanges(int64_t size, const std::vector<ByteRange>& missing);

  int64_t size() const { return size_; }
  int64_t received() const;
  bool complete() const { return pieces_.empty(); }
  // The length of the largest piece, 0 when none is left.
  int64_t largest_piece() const;

  // What a newly active connection gets: the first piece nobody owns, whole;
  // else the upper half of the largest piece when that is 1 MiB or more; a
  // smaller one only when exactly one other connection is active, which must
  // then be closed (`close_owner`) while the newcomer takes the upper half.
  struct Assignment {
    std::optional<ByteRange> piece;
    ConnectionId close_owner = kNoConnection;
  };
  Assignment assign(ConnectionId newcomer, int other_active_connections);

  // The part of the owner's piece still to fetch.
  std::optional<ByteRange> piece_of(ConnectionId owner) const;
  // `count` bytes arrived at the front of the owner's piece; what is left of it.
  int64_t advance(ConnectionId owner, int64_t count);
  // The owner is gone: its piece is free again, or dropped when it is done.
  void release(ConnectionId owner);

  // Every piece still to fetch, in order, for saving.
  std::vector<ByteRange> missing() const;

 private:
  struct Piece {
    ByteRange range;
    ConnectionId owner = kNoConnection;
  };
  Piece* find_owned(ConnectionId owner);
  const Piece* find_owned(ConnectionId owner) const;
  std::optional<ByteRange> split_for(size_t largest, ConnectionId newcomer);

  int64_t size_;
  std::vector<Piece> pieces_;
};

// Recorded pieces cleaned for use: each cut to [0, size), empty ones dropped,
// overlapping ones merged, in order; and everything from the partial file's
// actual length on counts as missing, since bytes past its end were never
// written whatever was recorded. Nothing recorded stays nothing (the whole file).
std::vector<ByteRange> clamp_recorded_ranges(std::vector<ByteRange> recorded, int64_t size, int64_t file_length);

// The pieces recorded in `down_file_info` (rows whose end is 0 or less are
// skipped: the placeholder of a new item).
std::vector<ByteRange> load_ranges(db::InfoDatabase& info, const std::string& hash);
// Replaces the recorded pieces of the hash by `pieces`. The caller flushes the
// partial file before, so that a recorded range never claims unwritten bytes.
bool save_ranges(db::InfoDatabase& info, const std::string& hash, const std::vector<ByteRange>& pieces);

}  // namespace dovel::download
