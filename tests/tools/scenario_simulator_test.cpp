// The scenario simulator against its own truth: every shipped scenario flies what it says in
// little time, its LOG holds the segments, GPS fixes and engine events the truth lists, the
// decoder finds its flights where the truth put them, and the command line reads and refuses
// scenario files as documented.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "scenario_engine.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flight_profile.h"
#include "support/run_program.h"

namespace {

const std::string scenario_dir = std::string(ORVEX_SOURCE_DIR) + "/samples/scenarios/";

struct flown {
  scenario planned;
  scenario_truth truth;
  std::string log;
  double seconds_to_simulate = 0.0;  // processor seconds
};

// A shipped scenario, read and flown once per test run.
const flown& fly(const std::string& name) {
  static std::map<std::string, flown> cache;
  const auto found = cache.find(name);
  if (found != cache.end()) return found->second;
  flown& f = cache[name];
  scenario_error error;
  EXPECT_TRUE(read_scenario(read_file(scenario_dir + name + ".scenario"), f.planned, error))
      << name << ": " << error_text(error);
  const std::clock_t start = std::clock();  // processor time: other work on the machine does not count
  f.log = scenario_log(f.planned, &f.truth, &error);
  f.seconds_to_simulate = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  EXPECT_FALSE(f.log.empty()) << name << ": " << error_text(error);
  return f;
}

std::uint16_t u16(const std::string& payload, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(payload[offset]) << 8 |
                                    static_cast<unsigned char>(payload[offset + 1]));
}

// The EIS snapshots of a LOG in one segment's LOG-time bounds [from, to).
std::vector<log_entry> eis_between(const std::vector<log_entry>& records, std::uint32_t from, std::uint32_t to) {
  std::vector<log_entry> out;
  for (const log_entry& r : records) {
    if (r.type == 2 && r.timestamp >= from && r.timestamp < to) out.push_back(r);
  }
  return out;
}

double cht(const log_entry& eis, int cylinder) { return u16(eis.payload, 5 + 2 * static_cast<std::size_t>(cylinder - 1)); }
double egt(const log_entry& eis, int cylinder) { return u16(eis.payload, 17 + 2 * static_cast<std::size_t>(cylinder - 1)); }

}  // namespace

TEST(ScenarioSimulator, EveryShippedScenarioFliesWhatItPlansQuickly) {
  const struct {
    const char* name;
    std::vector<segment_start> segments;
    std::vector<std::string> landings;  // per flight: F full stop, T touch-and-go
  } rows[] = {
      {"krnt_to_kpae", {segment_start::power_up}, {"F"}},
      {"pattern_krnt", {segment_start::power_up}, {"TTTF"}},
      {"ksea_far_end", {segment_start::power_up}, {"F"}},
      {"off_airport", {segment_start::power_up}, {"F"}},
      {"krnt_bfi_pae", {segment_start::power_up}, {"TF"}},
      {"slow_flight_krnt", {segment_start::power_up}, {"F"}},
      {"two_flights_power_off", {segment_start::power_up, segment_start::power_off}, {"F", "F"}},
      {"joined_logs", {segment_start::power_up, segment_start::clock_restart}, {"F", "F"}},
      {"in_flight_restart", {segment_start::power_up, segment_start::power_off}, {"F"}},
      {"in_flight_power_cycle", {segment_start::power_up, segment_start::power_off}, {"F"}},
      {"in_flight_clock_restart", {segment_start::power_up, segment_start::clock_restart}, {"F"}},
      {"segment_without_fixes",
       {segment_start::power_up, segment_start::power_off, segment_start::clock_restart},
       {"F"}},
      {"evening_twilight", {segment_start::power_up}, {"F"}},
      {"morning_twilight", {segment_start::power_up}, {"F"}},
      {"night_flight", {segment_start::power_up}, {"TF"}},
      {"night_cross_country", {segment_start::power_up}, {"F"}},
      {"gps_delay_fraction_port2", {segment_start::power_up}, {"F"}},
      {"gps_delay_whole_port1", {segment_start::power_up}, {"F"}},
      {"healthy_flight", {segment_start::power_up}, {"F"}},
      {"hot_cylinder", {segment_start::power_up}, {"F"}},
      {"failing_probe", {segment_start::power_up}, {"F"}},
      {"jumping_probe", {segment_start::power_up}, {"F"}},
      {"fast_cooling_descent", {segment_start::power_up}, {"F"}},
      {"low_oil_pressure", {segment_start::power_up}, {"F"}},
      {"mixture_rich_lean", {segment_start::power_up}, {"F"}},
      {"four_cylinder_map", {segment_start::power_up}, {"F"}},
  };
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(scenario_dir)) files += entry.path().extension() == ".scenario";
  EXPECT_EQ(files, std::size(rows)) << "a scenario of samples/scenarios/ is missing from this table";
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const flown& f = fly(r.name);
    EXPECT_LT(f.seconds_to_simulate, 15.0);
    const scenario_truth& t = f.truth;
    bool framed = false;
    const std::vector<log_entry> records = split_log(f.log, &framed);
    EXPECT_TRUE(framed);
    // The records fall into the segments in order, their timestamps rising in each.
    ASSERT_EQ(t.segments.size(), r.segments.size());
    std::size_t next = 0;
    for (std::size_t s = 0; s < t.segments.size(); ++s) {
      const truth_segment& seg = t.segments[s];
      EXPECT_EQ(seg.start, r.segments[s]);
      ASSERT_LT(next, records.size());
      EXPECT_EQ(records[next].timestamp, seg.first_log_ms);
      for (std::size_t i = 0; i + 1 < seg.records; ++i) {
        ASSERT_LE(records[next + i].timestamp, records[next + i + 1].timestamp) << "segment " << s << " record " << i;
      }
      next += seg.records;
      EXPECT_EQ(records[next - 1].timestamp, seg.last_log_ms);
    }
    EXPECT_EQ(next, records.size());
    // Each flight's events in their order; every landing within 60 m of its planted point.
    ASSERT_EQ(t.flights.size(), r.landings.size());
    for (std::size_t i = 0; i < t.flights.size(); ++i) {
      const truth_flight& fl = t.flights[i];
      std::string kinds;
      for (const truth_landing& l : fl.landings) {
        kinds += l.full_stop ? 'F' : 'T';
        EXPECT_LT(geo_distance(l.position, l.runway_point), 60.0) << "landing on line " << l.line;
      }
      EXPECT_EQ(kinds, r.landings[i]);
      ASSERT_TRUE(fl.engine_start && fl.out && fl.in && fl.engine_stop);
      EXPECT_EQ(fl.takeoffs.size(), fl.landings.size());
      const double order[] = {fl.engine_start->scenario_s, fl.out->scenario_s, fl.takeoffs.front().when.scenario_s,
                              fl.landings.back().when.scenario_s, fl.in->scenario_s, fl.engine_stop->scenario_s};
      EXPECT_TRUE(std::is_sorted(std::begin(order), std::end(order)));
      ASSERT_FALSE(fl.phases.empty());
      EXPECT_EQ(fl.phases.front().phase, flown_phase::taxi_out);
      EXPECT_EQ(fl.phases.back().phase, flown_phase::taxi_in);
    }
  }
}

TEST(ScenarioSimulator, EachSegmentKeepsItsOwnClock) {
  // A power-off leaves a gap as long as the EFIS was off, in LOG time and in UTC; a clock
  // restart sends LOG time back to a few seconds while UTC runs on.
  const struct {
    const char* name;
    double off_s;
    bool restart;
  } rows[] = {
      {"two_flights_power_off", 600.0, false},
      {"in_flight_restart", 40.0, false},
      {"joined_logs", 1800.0, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const scenario_truth& t = fly(r.name).truth;
    ASSERT_EQ(t.segments.size(), 2u);
    const truth_segment& before = t.segments[0];
    const truth_segment& after = t.segments[1];
    EXPECT_NEAR(after.off_seconds, r.off_s, 0.05);
    EXPECT_NEAR((after.first_utc_ms - before.last_utc_ms) / 1000.0, r.off_s, 1.0);
    if (r.restart) {
      EXPECT_LT(after.first_log_ms, 3100u);
    } else {
      EXPECT_EQ(after.utc_ms_at_log_zero, before.utc_ms_at_log_zero);
      EXPECT_NEAR((static_cast<double>(after.first_log_ms) - before.last_log_ms) / 1000.0, r.off_s, 1.0);
    }
    // Every moment of a flight lies in the segment whose LOG time and UTC it gives.
    for (const truth_flight& f : t.flights) {
      for (const truth_phase& p : f.phases) {
        for (const truth_moment& m : {p.start, p.end}) {
          if (!m.logged) continue;
          EXPECT_EQ(*t.utc_of(m.segment, m.log_ms), m.utc_ms);
        }
      }
    }
  }
}

TEST(ScenarioSimulator, GpsFixesArriveAsTheTruthSays) {
  const struct {
    const char* name;
    std::uint8_t rmc_type;  // the port of the RMC sentences
    const char* utc_end;    // how an RMC time of the truth ends
  } rows[] = {
      {"gps_delay_fraction_port2", 11, ".25"},
      {"gps_delay_whole_port1", 3, ""},
      {"joined_logs", 11, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const flown& f = fly(r.name);
    const scenario_settings& set = f.planned.settings;
    // A fix by its segment, port and arrival (LOG time repeats across a clock restart).
    std::map<std::tuple<int, int, std::uint32_t>, const truth_fix*> by_arrival;
    for (const truth_fix& fix : f.truth.fixes) by_arrival[{fix.segment, fix.port, fix.arrival_log_ms}] = &fix;
    std::size_t sentences = 0, etx = 0, checked = 0, index = 0;
    int segment = 0;
    double least_delay = 9.0, most_delay = 0.0;
    for (const log_entry& rec : split_log(f.log)) {
      if (index++ == f.truth.segments[static_cast<std::size_t>(segment)].records) {
        ++segment;
        index = 1;
      }
      if (rec.type != 3 && rec.type != 11) continue;
      const int port = rec.type == 3 ? 1 : 2;
      if (rec.type != r.rmc_type) {
        etx += rec.payload.find('\x03') != std::string::npos;
        continue;
      }
      if (rec.payload.find(",A,") == std::string::npos) continue;  // no position before the fix
      ++sentences;
      const auto found = by_arrival.find({segment, port, rec.timestamp});
      ASSERT_NE(found, by_arrival.end()) << rec.payload;
      const truth_fix& fix = *found->second;
      // The RMC time is the fix's true UTC; the sentence came in gps-delay after it.
      const std::string hhmmss = rec.payload.substr(7, rec.payload.find(',', 7) - 7);
      const std::string utc = utc_text(fix.utc_ms);  // ...T03:30:07.250Z
      const std::string expected = utc.substr(11, 2) + utc.substr(14, 2) + utc.substr(17, 2) + r.utc_end;
      ASSERT_EQ(hhmmss, expected);
      const std::int64_t fix_log_ms =
          fix.utc_ms - f.truth.segments[static_cast<std::size_t>(fix.segment)].utc_ms_at_log_zero;
      const double delay = static_cast<double>(rec.timestamp - fix_log_ms) / 1000.0;
      least_delay = std::min(least_delay, delay);
      most_delay = std::max(most_delay, delay);
      ++checked;
    }
    EXPECT_GT(checked, 300u);
    EXPECT_GE(least_delay, set.gps_delay_min_s - 0.001);
    EXPECT_LE(most_delay, set.gps_delay_max_s + 0.001);
    EXPECT_GT(most_delay - least_delay, 0.5 * (set.gps_delay_max_s - set.gps_delay_min_s));
    // Every whole sentence with a position is a fix of the truth, and no other.
    EXPECT_EQ(sentences + etx, f.truth.fixes.size());
  }
}

TEST(ScenarioSimulator, TheDecoderFindsTheFlightsWhereTheTruthPutThem) {
  for (const char* name : {"krnt_to_kpae", "pattern_krnt", "healthy_flight", "gps_delay_whole_port1"}) {
    SCOPED_TRACE(name);
    const flown& f = fly(name);
    analysis_options o = default_analysis_options();
    if (f.planned.settings.gps[0] == gps_sentences::nmea) {
      o.decode.gps_1_type = ORVEX_GPS_FORMAT_NMEA;
      o.decode.gps_2_type = ORVEX_GPS_FORMAT_AVIATION;
    }
    const log_summary s = analyse_bytes(f.log, o);
    ASSERT_EQ(s.flights.size(), 1u);
    const flight_record& d = s.flights[0];
    const truth_flight& t = f.truth.flights[0];
    ASSERT_TRUE(d.engine_start && d.takeoff && d.landing && d.engine_stop);
    EXPECT_EQ(s.cylinders, f.truth.cylinders);
    // As for the classic sortie: takeoff at 50 kt, a few seconds before lift-off; the last
    // landing below 35 kt, a few seconds into the roll.
    EXPECT_NEAR((static_cast<double>(d.takeoff->when.log_ms) - t.takeoffs.front().when.log_ms) / 1000.0, -2.5, 2.5);
    EXPECT_NEAR((static_cast<double>(d.landing->when.log_ms) - t.landings.back().when.log_ms) / 1000.0, 5.0, 5.0);
    EXPECT_NEAR((static_cast<double>(d.engine_start->when.log_ms) - t.engine_start->log_ms) / 1000.0, 1.0, 1.5);
    EXPECT_NEAR((static_cast<double>(d.engine_stop->when.log_ms) - t.engine_stop->log_ms) / 1000.0, 1.5, 1.5);
    ASSERT_TRUE(d.takeoff->when.has_utc);
    EXPECT_NEAR(d.takeoff->when.utc_ms - *f.truth.utc_of(0, d.takeoff->when.log_ms), 0, 1000);
    EXPECT_EQ(s.time.source, utc_source::gps);
  }
}

TEST(ScenarioSimulator, EachPhaseHoldsTheEngineFiguresOfItsRecords) {
  for (const char* name : {"four_cylinder_map", "healthy_flight", "hot_cylinder"}) {
    SCOPED_TRACE(name);
    const flown& f = fly(name);
    const std::vector<log_entry> records = split_log(f.log);
    const truth_flight& t = f.truth.flights[0];
    for (const flown_phase p : {flown_phase::climb, flown_phase::cruise, flown_phase::descent, flown_phase::approach}) {
      EXPECT_TRUE(std::any_of(t.phases.begin(), t.phases.end(), [p](const truth_phase& x) { return x.phase == p; }))
          << phase_name(p);
    }
    for (const truth_phase& p : t.phases) {
      const std::vector<log_entry> in = eis_between(records, p.start.log_ms, p.end.log_ms);
      ASSERT_EQ(in.size(), p.engine.rpm.count) << phase_name(p.phase);
      for (int c = 1; c <= f.truth.cylinders; ++c) {
        double sum = 0.0;
        for (const log_entry& e : in) sum += cht(e, c);
        EXPECT_DOUBLE_EQ(sum, p.engine.cht[static_cast<std::size_t>(c - 1)].sum) << phase_name(p.phase) << " #" << c;
        // The probes read the model's temperature within about a degree.
        if (!in.empty() && std::string(name) != "hot_cylinder") {
          EXPECT_NEAR(*p.engine.cht[static_cast<std::size_t>(c - 1)].mean(),
                      *p.engine.model_cht[static_cast<std::size_t>(c - 1)].mean(), 0.5);
        }
      }
    }
  }
}

TEST(ScenarioSimulator, EngineEventsShowInTheRecordsFromTheirStartToTheirEnd) {
  // Each planted event against the EIS records of its own bounds (from 10 s in, the offsets
  // having come in) and of the minute before it.
  for (const char* name : {"hot_cylinder", "failing_probe", "jumping_probe", "low_oil_pressure", "mixture_rich_lean",
                           "fast_cooling_descent"}) {
    SCOPED_TRACE(name);
    const flown& f = fly(name);
    const std::vector<log_entry> records = split_log(f.log);
    ASSERT_FALSE(f.truth.engine_events.empty());
    for (const truth_engine_event& ev : f.truth.engine_events) {
      ASSERT_TRUE(ev.start.logged && ev.end.logged);
      const std::vector<log_entry> before = eis_between(records, ev.start.log_ms - 60000, ev.start.log_ms);
      const std::vector<log_entry> during = eis_between(records, ev.start.log_ms + 10000, ev.end.log_ms);
      ASSERT_GT(during.size(), 100u);
      const int c = ev.event.cylinder;
      for (const log_entry& e : during) {
        double others = 0.0;
        for (int k = 1; k <= f.truth.cylinders; ++k) others += k == c ? 0.0 : cht(e, k) / (f.truth.cylinders - 1);
        switch (ev.event.kind) {
          case engine_event_kind::cht_offset: ASSERT_GT(cht(e, c) - others, ev.event.value - 25.0); break;
          case engine_event_kind::egt_probe_fail: ASSERT_EQ(egt(e, c), ev.event.value); break;
          case engine_event_kind::oil_pressure:
            ASSERT_NEAR(static_cast<unsigned char>(e.payload[47]), ev.event.value, 1.0);
            break;
          case engine_event_kind::mixture_rich:
          case engine_event_kind::mixture_lean: {
            const mixture_offsets& m = ev.event.kind == engine_event_kind::mixture_rich ? rich_mixture : lean_mixture;
            ASSERT_NEAR(egt(e, 1) - egt(before.back(), 1), m.egt_f, 15.0);
            break;
          }
          default: break;
        }
      }
      if (ev.event.kind == engine_event_kind::cht_probe_fail && ev.event.jumping) {
        int jumps = 0;
        for (std::size_t i = 1; i < during.size(); ++i) jumps += std::fabs(cht(during[i], c) - cht(during[i - 1], c)) > 100.0;
        EXPECT_GT(jumps, 20);
      }
      if (ev.event.kind == engine_event_kind::fast_cooling) {
        // Within the first minute at idle every cylinder head cools by more than 60 degrees F.
        const std::vector<log_entry> minute = eis_between(records, ev.start.log_ms, ev.start.log_ms + 60000);
        for (int k = 1; k <= f.truth.cylinders; ++k) EXPECT_GT(cht(minute.front(), k) - cht(minute.back(), k), 60.0);
      }
      // Before the event every cylinder reads close to the others.
      for (const log_entry& e : before) {
        for (int k = 1; k <= f.truth.cylinders; ++k) ASSERT_LT(std::fabs(cht(e, k) - cht(e, 1)), 25.0);
      }
    }
  }
}

TEST(ScenarioSimulator, CommandLineReadsAndRefusesScenarioFiles) {
  const std::string simulator = std::string(ORVEX_BINARY_DIR) + "/tools/orvexdecode-simulate";
  ASSERT_TRUE(std::filesystem::exists(simulator)) << "build orvexdecode_simulate first";
  temp_files t;
  const std::string bad = t.write("bad.scenario", "start 2026-05-09T03:30:00Z\n\nfly-to 47 -122 3000 100\n");
  const std::string good = scenario_dir + "gps_delay_whole_port1.scenario";
  const struct {
    std::string args;
    int status;
    std::string err;  // the start of standard error
  } rows[] = {
      {"--scenario " + shell_quote(bad) + " -o /dev/null", 1,
       simulator + ": " + bad + ": line 3: fly-to on the ground: depart first\n"},
      {"--scenario " + shell_quote(t.path("missing.scenario")) + " -o /dev/null", 2,
       simulator + ": cannot read " + t.path("missing.scenario")},
      {"--scenario " + shell_quote(good) + " --truth " + shell_quote(t.path("truth.json")) + " " +
           shell_quote(t.path("flight.LOG")),
       0, ""},
  };
  for (const auto& r : rows) {
    const program_result run = run_program(simulator, r.args);
    EXPECT_EQ(run.status, r.status) << r.args;
    EXPECT_EQ(run.err.substr(0, r.err.size()), r.err) << r.args;
  }
  // The command writes what the library writes, and the truth as JSON.
  const flown& f = fly("gps_delay_whole_port1");
  EXPECT_TRUE(read_file(t.path("flight.LOG")) == f.log);
  EXPECT_EQ(read_file(t.path("truth.json")), truth_json(f.truth));
  // The classic options change the scenario's settings: RMC moves to GPS 2.
  ASSERT_EQ(run_program(simulator, "--scenario " + shell_quote(good) + " --swap-gps --seed 3 " +
                                       shell_quote(t.path("swapped.LOG")))
                .status,
            0);
  const std::string swapped = read_file(t.path("swapped.LOG"));
  EXPECT_FALSE(swapped == f.log);
  for (const log_entry& r : split_log(swapped)) {
    if (r.type == 3 || r.type == 11) {
      ASSERT_EQ(r.payload.rfind("$GPRMC,", 0) == 0, r.type == 11) << r.payload;
    }
  }
}
