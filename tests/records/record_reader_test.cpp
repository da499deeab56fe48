// The LOG framing: big-endian headers, zero and oversized lengths, records cut short.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "records/record_reader.h"
#include "support/capture.h"

namespace {

struct read_record {
  read_outcome outcome;
  std::uint32_t type, timestamp, length;
  std::string payload;
};

// Reads the whole stream and lists every outcome with what was read.
std::vector<read_record> read_all(const std::string& bytes, std::vector<std::uint32_t>* timestamps = nullptr) {
  static record_reader reader;
  static efis_record rec;
  FILE* in = stream_with(bytes);
  reader.reset(in);
  std::vector<read_record> seen;
  for (;;) {
    std::memset(&rec, 0, sizeof rec);
    const read_outcome o = reader.next(rec);
    if (o == read_outcome::end) break;
    if (timestamps != nullptr) timestamps->push_back(rec.timestamp);
    seen.push_back({o, rec.source_type, rec.timestamp, rec.length,
                    std::string(reinterpret_cast<const char*>(rec.payload), o == read_outcome::record ? rec.length : 0)});
  }
  std::fclose(in);
  return seen;
}

}  // namespace

TEST(RecordReader, HeaderFieldsAreBigEndian) {
  const std::string bytes("\x02\x00\x00\x01\x2C\x00\x00\x00\x03" "abc", 12);
  const auto seen = read_all(bytes);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].type, 2u);
  EXPECT_EQ(seen[0].timestamp, 300u);
  EXPECT_EQ(seen[0].length, 3u);
  EXPECT_EQ(seen[0].payload, "abc");
}

TEST(RecordReader, ZeroLengthRecordIsDroppedAndReadingGoesOn) {
  log_writer log;
  log.header(2, 50, 0).record(4, 60, "z");
  std::vector<std::uint32_t> timestamps;
  const auto seen = read_all(log.str(), &timestamps);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].outcome, read_outcome::dropped);
  EXPECT_EQ(seen[1].outcome, read_outcome::record);
  EXPECT_EQ(seen[1].payload, "z");
  EXPECT_EQ(timestamps, (std::vector<std::uint32_t>{50, 60}));
}

TEST(RecordReader, OversizedPayloadIsSkippedWhole) {
  for (const std::uint32_t length : {256u, 300u, 5000u, 70000u, 1000000u}) {
    log_writer log;
    log.header(2, 10, length).bytes(std::string(length, '\x07')).record(7, 20, "58=4");
    const auto seen = read_all(log.str());
    ASSERT_EQ(seen.size(), 2u) << length;
    EXPECT_EQ(seen[0].outcome, read_outcome::dropped);
    EXPECT_EQ(seen[1].outcome, read_outcome::record);
    EXPECT_EQ(seen[1].payload, "58=4") << length;
  }
}

TEST(RecordReader, LargestPayloadIsKept) {
  log_writer log;
  log.record(3, 1, std::string(255, 'g'));
  const auto seen = read_all(log.str());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].payload, std::string(255, 'g'));
}

TEST(RecordReader, RecordCutShortAnywhereEndsTheInput) {
  log_writer log;
  log.record(2, 1, "first").record(4, 0x01020304, "second");
  const std::string bytes = log.str();
  const std::size_t first_size = 9 + 5;
  for (std::size_t cut = first_size; cut < bytes.size(); ++cut) {
    const auto seen = read_all(bytes.substr(0, cut));
    ASSERT_EQ(seen.size(), 1u) << cut;
    EXPECT_EQ(seen[0].payload, "first");
  }
  EXPECT_EQ(read_all(bytes).size(), 2u);
  EXPECT_TRUE(read_all("").empty());
}

// What a run read and dropped, for the LOG's health: counts by type and cause, the offsets of
// the first drops and the longest skip.
TEST(RecordReader, CountsWhatWasReadAndDropped) {
  log_writer log;
  log.record(2, 1, "a").header(4, 2, 0).record(200, 3, "b").header(1, 4, 300).bytes(std::string(300, 'x'));
  log.record(2, 5, "c").header(2, 6, 9).bytes("cut");
  static record_reader reader;
  static efis_record rec;
  FILE* in = stream_with(log.str());
  reader.reset(in);
  while (reader.next(rec) != read_outcome::end) {
  }
  std::fclose(in);
  const reader_stats& s = reader.stats();
  EXPECT_EQ(s.records, 3u);
  EXPECT_EQ(s.by_type[2], 2u);
  EXPECT_EQ(reader.unknown_type_records(), 1u);
  EXPECT_EQ(s.zero_length, 1u);
  EXPECT_EQ(s.oversized, 1u);
  EXPECT_EQ(s.truncated, 1u);
  EXPECT_EQ(s.largest_skip, 300u);
  EXPECT_EQ(s.drops_noted, 3u);
  EXPECT_EQ(s.first_drop_offsets[0], 10u);
  EXPECT_EQ(s.first_drop_offsets[1], 29u);
  EXPECT_EQ(s.largest_skip_offset, 29u);
  EXPECT_EQ(s.first_drop_offsets[2], 10u + 9 + 10 + 9 + 300 + 10);
  EXPECT_EQ(reader.bytes_read(), log.str().size());
  EXPECT_FALSE(s.input_error);
}

TEST(RecordReader, OversizedPayloadCutShortEndsTheInput) {
  log_writer log;
  log.header(2, 10, 1000).bytes(std::string(999, 'x'));
  EXPECT_TRUE(read_all(log.str()).empty());
}

TEST(RecordReader, ReadErrorEndsTheInput) {
  static record_reader reader;
  static efis_record rec;
  FILE* dir = std::fopen("/", "rb");  // reading a directory fails with an error, not end of file
  ASSERT_NE(dir, nullptr);
  reader.reset(dir);
  EXPECT_EQ(reader.next(rec), read_outcome::end);
  EXPECT_EQ(reader.next(rec), read_outcome::end);
  EXPECT_TRUE(reader.stats().input_error);
  std::fclose(dir);
}

TEST(RecordReader, RecordsSpanningBlockBoundariesAreWhole) {
  log_writer log;
  const std::size_t count = record_reader::block_size / 100 * 3;
  for (std::size_t i = 0; i < count; ++i) log.record(static_cast<std::uint8_t>(1 + i % 12), static_cast<std::uint32_t>(i), std::string(91, static_cast<char>('a' + i % 26)));
  const auto seen = read_all(log.str());
  ASSERT_EQ(seen.size(), count);
  for (std::size_t i = 0; i < count; ++i) {
    ASSERT_EQ(seen[i].timestamp, i);
    ASSERT_EQ(seen[i].payload, std::string(91, static_cast<char>('a' + i % 26)));
  }
}

TEST(RecordReader, StoppingEarlyHandsTheInputBack) {
  // A file of several blocks is read ahead; stopping ends that, and the input can be read again.
  log_writer log;
  const std::size_t count = record_reader::block_size / 20 * 4;
  for (std::size_t i = 0; i < count; ++i) log.record(13, static_cast<std::uint32_t>(i), "0123456789");
  static record_reader reader;
  static efis_record rec;
  FILE* in = stream_with(log.str());
  reader.reset(in);
  for (std::size_t i = 0; i < count / 2; ++i) ASSERT_EQ(reader.next(rec), read_outcome::record);
  reader.stop_reading();
  EXPECT_EQ(reader.next(rec), read_outcome::end);
  std::rewind(in);
  reader.reset(in);
  std::size_t again = 0;
  while (reader.next(rec) == read_outcome::record) ASSERT_EQ(rec.timestamp, again++);
  EXPECT_EQ(again, count);
  EXPECT_EQ(reader.bytes_read(), log.str().size());
  std::fclose(in);
}

TEST(RecordReader, LongestRecordsAndDropsNearEveryBlockEndReadWhole) {
  // Lengths around the longest payload, with zero and oversized ones between, so that records
  // of every kind lie just before, across and just after each block's end.
  const std::uint32_t lengths[] = {255, 1, 254, 0, 300, 17, 255, 255, 9};
  log_writer log;
  std::vector<std::uint32_t> expected;  // timestamps of the records read whole
  std::uint32_t t = 0;
  for (std::size_t bytes = 0; bytes < 3 * record_reader::block_size + 1000;) {
    for (const std::uint32_t n : lengths) {
      ++t;
      bytes += record_header_size + n;
      if (n == 0) {
        log.header(2, t, 0);
      } else {
        log.record(static_cast<std::uint8_t>(1 + t % 12), t, std::string(n, static_cast<char>('a' + t % 26)));
        if (n <= 255) expected.push_back(t);
      }
    }
  }
  std::vector<std::uint32_t> timestamps;
  const auto seen = read_all(log.str(), &timestamps);
  std::vector<std::uint32_t> whole;
  for (const read_record& r : seen) {
    if (r.outcome != read_outcome::record) continue;
    whole.push_back(r.timestamp);
    ASSERT_EQ(r.payload, std::string(r.length, static_cast<char>('a' + r.timestamp % 26))) << r.timestamp;
  }
  EXPECT_EQ(whole, expected);
  EXPECT_EQ(timestamps.size(), static_cast<std::size_t>(t));
}
