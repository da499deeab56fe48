// Local time from the system's TZif files (Debian's tzdata) and from TZ strings, and damaged
// files and names refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "analysis/time_zone.h"
#include "decode/utc_clock.h"
#include "support/random_bits.h"
#include "support/run_program.h"
#include "text/local_time_text.h"

namespace {

std::int64_t utc_s(const char* iso) { return parse_utc_iso8601(iso).value() / 1000; }

std::vector<std::uint8_t> zone_file_bytes(const std::string& name) {
  std::ifstream in("/usr/share/zoneinfo/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Sets TZDIR for the life of the object.
struct tzdir_set {
  explicit tzdir_set(const std::string& dir) {
    if (const char* old = std::getenv("TZDIR")) before = old;
    setenv("TZDIR", dir.c_str(), 1);
  }
  ~tzdir_set() {
    if (before) {
      setenv("TZDIR", before->c_str(), 1);
    } else {
      unsetenv("TZDIR");
    }
  }
  std::optional<std::string> before;
};

}  // namespace

TEST(TimeZone, OffsetsAroundTheChangesOfTheSystemZones) {
  // Checked against Python's zoneinfo on the same tzdata. 2040 and 2045 lie beyond the files'
  // tables and come from their footers.
  const struct {
    const char* zone;
    const char* utc;
    const char* local;
    const char* abbreviation;
    bool daylight_saving;
  } rows[] = {
      {"America/Los_Angeles", "2026-03-08T09:59:59Z", "2026-03-08T01:59:59-08:00", "PST", false},
      {"America/Los_Angeles", "2026-03-08T10:00:00Z", "2026-03-08T03:00:00-07:00", "PDT", true},
      {"America/Los_Angeles", "2026-05-09T03:45:12Z", "2026-05-08T20:45:12-07:00", "PDT", true},
      {"America/Los_Angeles", "2026-11-01T08:59:59Z", "2026-11-01T01:59:59-07:00", "PDT", true},
      {"America/Los_Angeles", "2026-11-01T09:00:00Z", "2026-11-01T01:00:00-08:00", "PST", false},
      {"America/Los_Angeles", "2040-07-01T12:00:00Z", "2040-07-01T05:00:00-07:00", "PDT", true},
      {"America/Los_Angeles", "2040-12-01T12:00:00Z", "2040-12-01T04:00:00-08:00", "PST", false},
      {"Europe/London", "2026-03-29T00:59:59Z", "2026-03-29T00:59:59+00:00", "GMT", false},
      {"Europe/London", "2026-03-29T01:00:00Z", "2026-03-29T02:00:00+01:00", "BST", true},
      {"Europe/London", "2026-10-25T00:59:59Z", "2026-10-25T01:59:59+01:00", "BST", true},
      {"Europe/London", "2026-10-25T01:00:00Z", "2026-10-25T01:00:00+00:00", "GMT", false},
      {"Asia/Kolkata", "2026-05-08T20:00:00Z", "2026-05-09T01:30:00+05:30", "IST", false},
      {"Australia/Sydney", "2026-04-04T15:59:59Z", "2026-04-05T02:59:59+11:00", "AEDT", true},
      {"Australia/Sydney", "2026-04-04T16:00:00Z", "2026-04-05T02:00:00+10:00", "AEST", false},
      {"Australia/Sydney", "2026-10-03T15:59:59Z", "2026-10-04T01:59:59+10:00", "AEST", false},
      {"Australia/Sydney", "2026-10-03T16:00:00Z", "2026-10-04T03:00:00+11:00", "AEDT", true},
      {"Australia/Sydney", "2045-01-15T00:00:00Z", "2045-01-15T11:00:00+11:00", "AEDT", true},
      {"Australia/Sydney", "2045-07-15T00:00:00Z", "2045-07-15T10:00:00+10:00", "AEST", false},
      {"Pacific/Chatham", "2026-01-15T00:00:00Z", "2026-01-15T13:45:00+13:45", "+1345", true},
      {"Pacific/Chatham", "2026-07-01T00:00:00Z", "2026-07-01T12:45:00+12:45", "+1245", false},
      {"Pacific/Chatham", "2041-01-15T00:00:00Z", "2041-01-15T13:45:00+13:45", "+1345", true},
      {"UTC", "2026-05-08T20:45:12Z", "2026-05-08T20:45:12+00:00", "UTC", false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.zone) + " " + r.utc);
    const time_zone_load load = load_time_zone(r.zone);
    ASSERT_TRUE(load.zone) << load.error;
    const local_offset o = load.zone->offset_at(utc_s(r.utc));
    EXPECT_EQ(iso8601_local(utc_s(r.utc), o.utc_offset_s).view(), r.local);
    EXPECT_EQ(o.abbreviation(), r.abbreviation);
    EXPECT_EQ(o.daylight_saving, r.daylight_saving);
  }
}

TEST(TimeZone, TzStringsGiveTheRulesBeyondTheTable) {
  // Each rule's semantics as the TZif format defines them; glibc's tzset disagrees on the first
  // (daylight saving all year) and CPython's zoneinfo on the day of "300/26".
  const struct {
    const char* rule;
    const char* utc;
    std::int32_t offset_s;
    const char* abbreviation;
  } rows[] = {
      {"EST5EDT,0/0,J365/25", "2026-01-01T02:00:00Z", -4 * 3600, "EDT"},
      {"EST5EDT,0/0,J365/25", "2026-07-01T00:00:00Z", -4 * 3600, "EDT"},
      {"<-03>3", "2026-05-08T00:00:00Z", -3 * 3600, "-03"},
      {"XXX3YYY,J60/-1,300/26", "2026-03-01T01:59:59Z", -3 * 3600, "XXX"},
      {"XXX3YYY,J60/-1,300/26", "2026-03-01T02:00:00Z", -2 * 3600, "YYY"},
      {"XXX3YYY,J60/-1,300/26", "2026-10-29T03:59:59Z", -2 * 3600, "YYY"},
      {"XXX3YYY,J60/-1,300/26", "2026-10-29T04:00:00Z", -3 * 3600, "XXX"},
      {"XXX3YYY,J60/-1,300/26", "2028-02-29T02:00:00Z", -3 * 3600, "XXX"},  // J60 is 1 March
      {"CCC0DDD,M3.5.0/-1,M10.5.0/167", "2026-03-28T23:00:00Z", 3600, "DDD"},
      {"CCC0DDD,M3.5.0/-1,M10.5.0/167", "2026-10-31T21:59:59Z", 3600, "DDD"},
      {"CCC0DDD,M3.5.0/-1,M10.5.0/167", "2026-10-31T22:00:00Z", 0, "CCC"},
      {"PST8PDT", "2026-03-08T10:00:00Z", -7 * 3600, "PDT"},  // the US rule by default
      {"NZST-12NZDT-13:00:00,M9.5.0/2:45,M4.1.0/3:45", "2026-04-04T14:44:59Z", 13 * 3600, "NZDT"},
      {"NZST-12NZDT-13:00:00,M9.5.0/2:45,M4.1.0/3:45", "2026-04-04T14:45:00Z", 12 * 3600, "NZST"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.rule) + " " + r.utc);
    const std::optional<tz_rule> rule = parse_tz_rule(r.rule);
    ASSERT_TRUE(rule);
    const local_offset o = tz_rule_offset_at(*rule, utc_s(r.utc));
    EXPECT_EQ(o.utc_offset_s, r.offset_s);
    EXPECT_EQ(o.abbreviation(), r.abbreviation);
  }
  for (const char* wrong : {"", "PS8", "PST", "PST8x", "PST25", "<AB>1", "<PST8", "PST8PDT,M13.1.0,M11.1.0",
                            "PST8PDT,M3.2.0", "PST8PDT,M3.2.0/168,M11.1.0", "PST8PDT,J0,J365", "PST8PDT,M3.0.0,M11.1.0"}) {
    EXPECT_FALSE(parse_tz_rule(wrong)) << wrong;
  }
}

TEST(TimeZone, NamesThatCouldLeaveTheDatabaseAreRefused) {
  for (const char* name : {"America/Los_Angeles", "Etc/GMT+5", "America/Port-au-Prince", "UTC"}) {
    EXPECT_TRUE(is_time_zone_name(name)) << name;
  }
  for (const char* name : {"", "../etc/passwd", "America/../../etc/passwd", "/etc/localtime", "America/", "a//b",
                           ".hidden", "America/Los Angeles", "C:zone"}) {
    EXPECT_FALSE(is_time_zone_name(name)) << name;
    const time_zone_load load = load_time_zone(name);
    EXPECT_FALSE(load.zone) << name;
    EXPECT_NE(load.error.find("is not a time zone name"), std::string::npos) << load.error;
  }
  EXPECT_NE(load_time_zone("Nowhere/Atlantis").error.find("no time zone \"Nowhere/Atlantis\""), std::string::npos);
}

TEST(TimeZone, TzdirPointsAtAnotherDatabaseAndATruncatedFileIsRefused) {
  const std::vector<std::uint8_t> whole = zone_file_bytes("America/Los_Angeles");
  ASSERT_GT(whole.size(), 1000u);
  temp_files t;
  t.write("Pacific", std::string(whole.begin(), whole.end()));
  t.write("Truncated", std::string(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)));
  const tzdir_set tzdir(t.dir);
  const time_zone_load pacific = load_time_zone("Pacific");
  ASSERT_TRUE(pacific.zone) << pacific.error;
  EXPECT_EQ(pacific.zone->offset_at(utc_s("2026-05-09T03:45:12Z")).abbreviation(), "PDT");
  const time_zone_load truncated = load_time_zone("Truncated");
  EXPECT_FALSE(truncated.zone);
  EXPECT_NE(truncated.error.find("is damaged: it is truncated"), std::string::npos) << truncated.error;
  EXPECT_FALSE(load_time_zone("America/Los_Angeles").zone);  // not in this database
}

TEST(TimeZone, DamagedFilesGiveAnErrorNeverACrash) {
  // Run under AddressSanitizer in CI: every prefix and many random damages of a real file are
  // read without a read out of bounds; a file that still reads answers for any instant.
  const std::vector<std::uint8_t> whole = zone_file_bytes("America/Los_Angeles");
  ASSERT_TRUE(read_time_zone("LA", whole).zone);
  for (std::size_t size = 0; size < whole.size(); ++size) {
    EXPECT_FALSE(read_time_zone("LA", std::span(whole.data(), size)).zone) << size;
  }
  random_bits next(0x9E3779B97F4A7C15ull);
  int read_anyway = 0;
  for (int i = 0; i < 3000; ++i) {
    std::vector<std::uint8_t> damaged = whole;
    for (int n = 1 + static_cast<int>(next() % 3); n > 0; --n) {
      // The header and the counts are hit often, the rest anywhere.
      const std::size_t at = next() % 2 == 0 ? next() % 44 : next() % damaged.size();
      damaged[at] = static_cast<std::uint8_t>(next());
    }
    const time_zone_load load = read_time_zone("LA", damaged);
    if (!load.zone) continue;
    ++read_anyway;
    for (const std::int64_t t : {std::int64_t{INT64_MIN}, std::int64_t{-1} << 40, std::int64_t{0},
                                 std::int64_t{1'778'283'912}, std::int64_t{4'000'000'000}, std::int64_t{INT64_MAX}}) {
      const local_offset o = load.zone->offset_at(t);
      EXPECT_LE(o.abbreviation().size(), 15u);
    }
  }
  EXPECT_GT(read_anyway, 0);  // some damage lands where nothing is checked (the indicators)
}

TEST(TimeZone, VersionOneFilesAreRead) {
  // The first data block of a version 2 file, marked version 1: 32-bit times, no footer.
  std::vector<std::uint8_t> v1 = zone_file_bytes("America/Los_Angeles");
  ASSERT_GT(v1.size(), 44u);
  const auto count = [&](std::size_t at) {
    return std::size_t{v1[at]} << 24 | std::size_t{v1[at + 1]} << 16 | std::size_t{v1[at + 2]} << 8 | v1[at + 3];
  };
  const std::size_t block = count(32) * 5 + count(36) * 6 + count(40) + count(28) * 8 + count(24) + count(20);
  v1.resize(44 + block);
  v1[4] = 0;
  const time_zone_load load = read_time_zone("LA", v1);
  ASSERT_TRUE(load.zone) << load.error;
  EXPECT_EQ(load.zone->offset_at(utc_s("2026-05-09T03:45:12Z")).abbreviation(), "PDT");
  EXPECT_EQ(load.zone->offset_at(utc_s("2026-12-09T03:45:12Z")).abbreviation(), "PST");
}
