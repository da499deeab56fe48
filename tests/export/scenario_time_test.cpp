// The LOG's clock and its segments against what the scenarios planted: GPS sentences that reach
// the EFIS 0 to 1 s after their fix, the EFIS switched off between two flights, two LOGs joined,
// an EFIS restarted in flight. The exports' times are compared with the true UTC of each row,
// the flight time line's segments and flights with the truth's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/flight_timeline.h"
#include "decode/utc_clock.h"
#include "export/export_run.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flown_scenario.h"
#include "support/flight_profile.h"

namespace {

library_options decode_options_of(const flown_scenario& f) {
  library_options o = default_options();
  o.gps_1_type = f.planned.settings.gps[0] == gps_sentences::nmea ? ORVEX_GPS_FORMAT_NMEA : ORVEX_GPS_FORMAT_AVIATION;
  o.gps_2_type = f.planned.settings.gps[1] == gps_sentences::nmea ? ORVEX_GPS_FORMAT_NMEA : ORVEX_GPS_FORMAT_AVIATION;
  return o;
}

std::string exported(std::string_view format, const flown_scenario& f) {
  export_request request = default_export_request();
  request.decode = decode_options_of(f);
  const context_ptr ctx = make_context();
  FILE* in = stream_with(f.log);
  FILE* out = std::tmpfile();
  const export_result r = export_log(*find_export_format(format), *ctx, request, in, out);
  std::fclose(in);
  EXPECT_TRUE(r.error.empty()) << r.error;
  return drain_stream(out);
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The UTC of every <tag>...</tag> in the text, one list per element `group` opens.
std::vector<std::vector<std::int64_t>> times_by_group(const std::string& doc, const std::string& group,
                                                      const std::string& tag) {
  std::vector<std::vector<std::int64_t>> groups;
  const std::string open = "<" + tag + ">";
  for (std::size_t at = doc.find(group); at != std::string::npos; at = doc.find(group, at + 1)) {
    const std::size_t end = doc.find(group, at + 1);
    std::vector<std::int64_t>& times = groups.emplace_back();
    for (std::size_t t = doc.find(open, at); t < end && t != std::string::npos; t = doc.find(open, t + 1)) {
      const std::size_t from = t + open.size();
      times.push_back(parse_utc_iso8601(doc.substr(from, doc.find('<', from) - from)).value_or(0));
    }
  }
  return groups;
}

bool strictly_rising(const std::vector<std::int64_t>& v) {
  for (std::size_t i = 1; i < v.size(); ++i) {
    if (v[i] <= v[i - 1]) return false;
  }
  return true;
}

}  // namespace

TEST(ScenarioTime, RowsLieOnWholeTrueSecondsAndTimesNeverGoBack) {
  for (const char* name :
       {"gps_delay_fraction_port2", "gps_delay_whole_port1", "two_flights_power_off", "joined_logs",
        "in_flight_clock_restart"}) {
    SCOPED_TRACE(name);
    const flown_scenario& f = fly(name);
    const std::vector<truth_segment>& segments = f.truth.segments;

    // CSV: each row against the true UTC of its LOG time, in the truth's segment that holds it
    // (rows follow the LOG's order: a row past the segment's records, or before the row before
    // it, belongs to the next).
    const std::vector<std::string> rows = lines_of(exported("csv", f));
    ASSERT_GT(rows.size(), 1u);
    std::size_t segment = 0;
    std::vector<std::size_t> rows_in(segments.size());
    std::size_t close = 0;
    std::size_t timed = 0;
    std::int64_t previous = INT64_MIN;
    std::uint32_t previous_ms = 0;
    for (std::size_t i = 1; i < rows.size(); ++i) {
      const std::string& row = rows[i];
      const std::size_t comma = row.find(',');
      const auto log_ms = static_cast<std::uint32_t>(std::llround(std::stod(row.substr(comma + 1)) * 1000));
      while (segment + 1 < segments.size() &&
             (log_ms < previous_ms || log_ms > segments[segment].last_log_ms + 1000)) {
        ++segment;
      }
      previous_ms = log_ms;
      ++rows_in[segment];
      const std::optional<std::int64_t> utc = parse_utc_iso8601(row.substr(0, comma));
      ASSERT_TRUE(utc) << row.substr(0, 40);
      ++timed;
      EXPECT_EQ(*utc % 1000, 0) << row.substr(0, 40);
      EXPECT_GT(*utc, previous) << row.substr(0, 40);
      previous = *utc;
      if (std::llabs(*utc - (segments[segment].utc_ms_at_log_zero + log_ms)) <= 250) ++close;
    }
    EXPECT_GE(static_cast<double>(close), 0.99 * static_cast<double>(timed));
    // No segment loses its rows: one per second it lasted.
    for (std::size_t s = 0; s < segments.size(); ++s) {
      EXPECT_GE(rows_in[s] + 2, static_cast<std::size_t>((segments[s].last_utc_ms - segments[s].first_utc_ms) / 1000))
          << "segment " << s;
    }

    // The avionics CSV: a row's date and time never repeat or go back.
    const std::vector<std::string> avionics = lines_of(exported("avionics-csv", f));
    std::string previous_stamp;
    std::size_t stamped = 0;
    for (const std::string& row : avionics) {
      if (row.size() < 20 || row[4] != '-' || row[10] != ',') continue;  // "2026-05-09, 17:00:01,"
      const std::string stamp = row.substr(0, row.find(',', 11));
      EXPECT_GT(stamp, previous_stamp);
      previous_stamp = stamp;
      ++stamped;
    }
    EXPECT_GT(stamped, 500u);

    // GPX: a track per flight (and per segment it spans), its times strictly rising; KML: each
    // gx:Track's likewise.
    const auto tracks = times_by_group(exported("gpx", f), "<trk>", "time");
    EXPECT_GE(tracks.size(), f.truth.flights.size());
    for (const auto& times : tracks) EXPECT_TRUE(strictly_rising(times));
    const auto kml_tracks = times_by_group(exported("kml", f), "<gx:Track>", "when");
    EXPECT_FALSE(kml_tracks.empty());
    for (const auto& times : kml_tracks) EXPECT_TRUE(strictly_rising(times));
  }
}

TEST(ScenarioTime, PowerCyclesStartSegmentsAndEndFlightsUnlessRestartedInFlight) {
  const struct {
    const char* name;
    std::vector<segment_clock> clocks;  // one per segment the LOG has by the time line's rule
    std::size_t flights;
    std::uint32_t restarts_in_flight;
  } rows[] = {
      {"two_flights_power_off", {segment_clock::own, segment_clock::own}, 2, 0},
      {"joined_logs", {segment_clock::own, segment_clock::own}, 2, 0},
      {"in_flight_restart", {segment_clock::own}, 1, 0},  // 40 s off: no segment
      {"in_flight_power_cycle", {segment_clock::own, segment_clock::own}, 1, 1},
      {"in_flight_clock_restart", {segment_clock::own, segment_clock::own}, 1, 1},
      {"segment_without_fixes", {segment_clock::own, segment_clock::previous, segment_clock::none}, 1, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const flown_scenario& f = fly(r.name);
    analysis_options o = default_analysis_options();
    o.decode = decode_options_of(f);
    const log_summary s = analyse_bytes(f.log, o);
    ASSERT_EQ(s.segments.size(), r.clocks.size());
    for (std::size_t i = 0; i < r.clocks.size(); ++i) EXPECT_EQ(s.segments[i].clock, r.clocks[i]) << "segment " << i;
    // Each segment's records and LOG times as written, and the LOG's from them; the breaks
    // between segments are no gap of any source.
    if (f.truth.segments.size() == s.segments.size()) {
      std::uint64_t records = 0;
      for (std::size_t i = 0; i < s.segments.size(); ++i) {
        const log_segment& e = s.segments[i];
        const truth_segment& t = f.truth.segments[i];
        EXPECT_EQ(e.records, t.records) << "segment " << i;
        EXPECT_EQ(e.first.log_ms, t.first_log_ms) << "segment " << i;
        EXPECT_EQ(e.last.log_ms, t.last_log_ms) << "segment " << i;
        EXPECT_EQ(e.lowest_ms, std::min(t.first_log_ms, t.last_log_ms)) << "segment " << i;
        EXPECT_EQ(e.highest_ms, std::max(t.first_log_ms, t.last_log_ms)) << "segment " << i;
        EXPECT_LE(s.time.earliest_ms, e.lowest_ms);
        EXPECT_GE(s.time.latest_ms, e.highest_ms);
        records += e.records;
      }
      EXPECT_EQ(records, s.health.reader.records);
      EXPECT_EQ(s.time.last.log_ms, f.truth.segments.back().last_log_ms);
      EXPECT_EQ(s.time.last.segment, s.segments.size() - 1);
      for (const source_gaps& g : s.health.gaps) EXPECT_EQ(g.count, 0u);
    }
    // The span in UTC, where the last segment has it.
    const truth_segment& last = f.truth.segments.back();
    if (r.clocks.back() != segment_clock::none) {
      EXPECT_NEAR(s.time.span_s, (last.last_utc_ms - f.truth.segments.front().first_utc_ms) / 1000.0, 2.0);
    }
    ASSERT_EQ(s.flights.size(), r.flights);
    std::uint32_t restarts = 0;
    for (std::size_t i = 0; i < r.flights; ++i) {
      const flight_record& d = s.flights[i];
      const truth_flight& t = f.truth.flights[i];
      restarts += d.restarts_in_flight;
      ASSERT_TRUE(d.engine_start && d.takeoff && d.landing && d.engine_stop);
      EXPECT_FALSE(d.engine_running_at_end);
      ASSERT_TRUE(d.takeoff->when.has_utc && d.engine_stop->when.has_utc);
      EXPECT_NEAR((d.takeoff->when.utc_ms - t.takeoffs.front().when.utc_ms) / 1000.0, 0.0, 10.0);
      EXPECT_NEAR((d.engine_stop->when.utc_ms - t.engine_stop->utc_ms) / 1000.0, 0.0, 10.0);
      EXPECT_NEAR(d.flight_time_s, (t.landings.back().when.utc_ms - t.takeoffs.front().when.utc_ms) / 1000.0, 15.0);
    }
    EXPECT_EQ(restarts, r.restarts_in_flight);
  }
}
