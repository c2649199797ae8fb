#include "share/file_hash.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/cp949.h"
#include "support/temp_folder.h"
#include "util/md5.h"

namespace dovel::share {
namespace {

// A file of a given length whose byte at offset k is (k * 7 + k / 251) mod 256,
// recording every read made of it.
class RecordingSource : public SampleSource {
 public:
  explicit RecordingSource(uint64_t length) : length_(length) {}

  std::optional<uint64_t> length() override {
    if (++length_calls_ == 2) length_ += growth_before_second_length_;
    return length_;
  }
  ssize_t read_at(uint64_t offset, void* buffer, size_t size) override {
    reads.push_back({offset, size});
    if (fail_at_read_ == reads.size()) return -1;
    if (offset >= length_) return 0;
    size_t count = static_cast<size_t>(std::min<uint64_t>(size, length_ - offset));
    auto* bytes = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i < count; ++i) bytes[i] = byte_at(offset + i);
    return static_cast<ssize_t>(count);
  }

  static uint8_t byte_at(uint64_t offset) { return static_cast<uint8_t>(offset * 7 + offset / 251); }
  // The file grows after the blocks were read, before its length is taken again.
  void grow_before_second_length(uint64_t bytes) { growth_before_second_length_ = bytes; }
  void fail_at_read(size_t number) { fail_at_read_ = number; }

  struct Read {
    uint64_t offset;
    size_t size;
    bool operator==(const Read&) const = default;
  };
  std::vector<Read> reads;

 private:
  uint64_t length_;
  int length_calls_ = 0;
  uint64_t growth_before_second_length_ = 0;
  size_t fail_at_read_ = 0;
};

using Read = RecordingSource::Read;

// The reads a sampled hash makes of a large file before the tail and the probe.
std::vector<Read> block_reads(uint64_t length) {
  std::vector<Read> reads;
  for (uint64_t position = 0; position < length; position += kSampleBlock + length / 10) reads.push_back({position, kSampleBlock});
  reads.push_back({reads.back().offset + kSampleBlock + length / 10, kSampleBlock});
  return reads;
}

TEST(SampledMd5, ThreeByteFile) {
  test::TempFolder folder;
  EXPECT_EQ(sampled_md5_of_file(folder.write("abc", "abc")), "e58e96f6a1864258fc0f25148e81c086");
}

TEST(SampledMd5, SmallFilesAreReadWholeLargeOnesInSpacedBlocks) {
  RecordingSource whole(524288);
  ASSERT_TRUE(sampled_md5(whole));
  EXPECT_EQ(whole.reads, (std::vector<Read>{{0, 524288}, {1048576, 524288}, {kProbeOffset, kProbeBytes}}));

  RecordingSource sampled(524289);
  ASSERT_TRUE(sampled_md5(sampled));
  std::vector<Read> expected = block_reads(524289);
  ASSERT_EQ(expected[1].offset, 1024u + 52428u) << "gap of a tenth of the length";
  expected.push_back({kProbeOffset, kProbeBytes});
  EXPECT_EQ(sampled.reads, expected);
}

TEST(SampledMd5, TailIsReadOnlyAboveTheThreshold) {
  RecordingSource no_tail(534528);
  ASSERT_TRUE(sampled_md5(no_tail));
  EXPECT_EQ(std::count(no_tail.reads.begin(), no_tail.reads.end(), Read{534528 - kTailBytes, kTailBytes}), 0);

  RecordingSource tail(534529);
  ASSERT_TRUE(sampled_md5(tail));
  std::vector<Read> expected = block_reads(534529);
  expected.push_back({534529 - kTailBytes, kTailBytes});
  expected.push_back({kProbeOffset, kProbeBytes});
  EXPECT_EQ(tail.reads, expected);
  EXPECT_LE(tail.reads.size(), 13u) << "eleven blocks, the tail and the probe at most";
}

TEST(SampledMd5, DigestCoversBlocksTailLengthAndProbe) {
  // A file large enough for the probe at 418,316,228 to find bytes.
  const uint64_t length = kProbeOffset + 100;
  RecordingSource source(length);
  auto hash = sampled_md5(source);
  ASSERT_TRUE(hash);

  util::Md5 md5;
  auto feed = [&md5](uint64_t offset, size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = RecordingSource::byte_at(offset + i);
    md5.update(bytes.data(), bytes.size());
  };
  for (uint64_t position = 0; position < length; position += kSampleBlock + length / 10) {
    feed(position, static_cast<size_t>(std::min<uint64_t>(kSampleBlock, length - position)));
  }
  feed(length - kTailBytes, kTailBytes);
  uint8_t length_bytes[8];
  for (int i = 0; i < 8; ++i) length_bytes[i] = static_cast<uint8_t>(length >> (8 * i));
  md5.update(length_bytes, 8);
  feed(kProbeOffset, 100);
  EXPECT_EQ(*hash, md5.hex_digest());
}

TEST(SampledMd5, NoHashWhenTheFileCannotBeReadToItsEnd) {
  RecordingSource failing(600000);
  failing.fail_at_read(2);
  EXPECT_FALSE(sampled_md5(failing)) << "read error in the blocks";

  RecordingSource failing_tail(600000);
  failing_tail.fail_at_read(12);
  EXPECT_FALSE(sampled_md5(failing_tail)) << "read error in the tail";

  RecordingSource growing(1000);
  growing.grow_before_second_length(5000);
  EXPECT_FALSE(sampled_md5(growing)) << "the file grew while it was read";

  RecordingSource failing_probe(1000);
  failing_probe.fail_at_read(3);
  EXPECT_TRUE(sampled_md5(failing_probe)) << "the probe's errors do not matter";
}

TEST(SampledMd5, SpecialFilesAreNotRead) {
  test::TempFolder folder;
  EXPECT_FALSE(sampled_md5_of_file(folder.path())) << "a folder";
  EXPECT_FALSE(sampled_md5_of_file(folder / "missing"));
}

TEST(FolderHash, HashesWalkPathNameAndIndexInTheirWireForm) {
  EXPECT_EQ(folder_hash("", "Music", 0), "814624101b52b5df207bd94e95c4ccda");

  util::Md5 nested;
  nested.update("\\MusicRock");
  nested.update("\x03", 1);
  EXPECT_EQ(folder_hash("\\Music", "Rock", 2), nested.hex_digest());

  util::Md5 korean;
  korean.update(*platform::utf8_to_cp949("\\음악"));
  korean.update(*platform::utf8_to_cp949("가요"));
  korean.update("\x01", 1);
  EXPECT_EQ(folder_hash("\\음악", "가요", 0), korean.hex_digest());

  EXPECT_FALSE(folder_hash("", "😀", 0));
}

}  // namespace
}  // namespace dovel::share
