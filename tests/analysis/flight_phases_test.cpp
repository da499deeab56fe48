// The flight phases and their engine figures on the scenario flights, against what each
// scenario planted: the phases it flew, in order, with their bounds within 5 s; for each phase
// found, its figures exactly those of the EIS records inside its own bounds; and the CHT means
// of the longer phases within 2 degrees F of the truth's over its planted bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flown_scenario.h"
#include "support/flight_profile.h"

namespace {

analysis_options with_profile(const std::string& text) {
  analysis_options o = default_analysis_options();
  EXPECT_TRUE(read_aircraft_profile(text, o.profile).ok()) << text;
  return o;
}

// The truth's phases as the minimum durations can find them: a climb, cruise or descent
// shorter than its minimum joins the phase before it.
std::vector<truth_phase> findable(const std::vector<truth_phase>& flown_phases, const phase_thresholds& t) {
  std::vector<truth_phase> out;
  for (const truth_phase& p : flown_phases) {
    const double s = (static_cast<double>(p.end.log_ms) - p.start.log_ms) / 1000.0;
    const double least = p.phase == flown_phase::climb    ? t.climb_s
                         : p.phase == flown_phase::cruise ? t.cruise_s
                         : p.phase == flown_phase::descent ? t.descent_s
                                                           : 0.0;
    if (!out.empty() && (s < least || out.back().phase == p.phase)) {
      out.back().end = p.end;
      continue;
    }
    out.push_back(p);
  }
  return out;
}

double seconds_between(std::uint32_t a, std::uint32_t b) { return (static_cast<double>(b) - a) / 1000.0; }

std::uint16_t u16(const std::string& payload, std::size_t offset) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(payload[offset]) << 8 |
                                    static_cast<unsigned char>(payload[offset + 1]));
}

struct record_stats {
  std::size_t count = 0;
  double sum = 0.0, min = 0.0, max = 0.0;
  std::vector<double> values;
  void add(double v) {
    min = count == 0 ? v : std::min(min, v);
    max = count == 0 ? v : std::max(max, v);
    ++count;
    sum += v;
    values.push_back(v);
  }
  double median() {
    std::sort(values.begin(), values.end());
    return (values[(count - 1) / 2] + values[count / 2]) / 2.0;
  }
};

}  // namespace

// Every flight of the scenarios: the planted phases, each found within 5 s of its bounds.
TEST(FlightPhases, AreFoundWhereTheScenarioFlewThem) {
  const char* const names[] = {"healthy_flight",  "four_cylinder_map", "pattern_krnt",     "fast_cooling_descent",
                               "hot_cylinder",    "krnt_to_kpae",      "night_flight",     "in_flight_restart",
                               "two_flights_power_off", "mixture_rich_lean", "ksea_far_end", "night_cross_country"};
  double worst = 0.0;
  for (const char* name : names) {
    SCOPED_TRACE(name);
    const flown_scenario& f = fly(name);
    const log_summary s = analyse_bytes(f.log);
    ASSERT_EQ(s.flights.size(), f.truth.flights.size());
    for (std::size_t k = 0; k < s.flights.size(); ++k) {
      const std::vector<truth_phase> planted = findable(f.truth.flights[k].phases, phase_thresholds{});
      const std::vector<phase_record>& found = s.flights[k].phases;
      ASSERT_EQ(found.size(), planted.size()) << "flight " << k + 1;
      for (std::size_t i = 0; i < found.size(); ++i) {
        SCOPED_TRACE(phase_name(planted[i].phase));
        EXPECT_EQ(flight_phase_name(found[i].kind), phase_name(planted[i].phase)) << "phase " << i;
        EXPECT_NEAR(seconds_between(planted[i].start.log_ms, found[i].start.log_ms), 0.0, 5.0);
        EXPECT_NEAR(seconds_between(planted[i].end.log_ms, found[i].end.log_ms), 0.0, 5.0);
        worst = std::max({worst, std::fabs(seconds_between(planted[i].start.log_ms, found[i].start.log_ms)),
                          std::fabs(seconds_between(planted[i].end.log_ms, found[i].end.log_ms))});
        // UTC through the LOG's clock, which follows the fixes as they arrive.
        ASSERT_TRUE(found[i].start.has_utc);
        const truth_moment& t0 = f.truth.flights[k].phases[0].start;
        EXPECT_NEAR(found[i].start.utc_ms - found[i].start.log_ms, t0.utc_ms - t0.log_ms, 1500);
      }
    }
  }
  RecordProperty("worst_bound_error_s", std::to_string(worst));
}

// The figures of each phase are those of the EIS records inside its own bounds [start, end):
// count, least, mean, median and greatest per fitted cylinder; and a phase of a minute or more
// has its CHT means within 2 degrees F of the truth's over its planted bounds.
TEST(FlightPhases, FiguresAreThoseOfTheRecordsInsideThem) {
  const struct {
    const char* name;
    const char* profile;
  } rows[] = {
      {"healthy_flight", "aux1 = manifold_pressure_inhg / 10\naux2 = fuel_pressure_psi / 10\n"},
      {"four_cylinder_map", "cylinders = 4\naux1 = manifold_pressure_inhg / 10\n"},
      {"hot_cylinder", ""},
      {"pattern_krnt", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const flown_scenario& f = fly(r.name);
    const log_summary s = analyse_bytes(f.log, with_profile(r.profile));
    const std::vector<log_entry> records = split_log(f.log);
    const std::size_t fitted = static_cast<std::size_t>(f.truth.cylinders);
    ASSERT_EQ(s.flights.size(), 1u);
    const std::vector<truth_phase> planted = findable(f.truth.flights[0].phases, phase_thresholds{});
    const std::vector<phase_record>& found = s.flights[0].phases;
    ASSERT_EQ(found.size(), planted.size());
    double worst_truth = 0.0;
    for (std::size_t i = 0; i < found.size(); ++i) {
      const phase_record& p = found[i];
      SCOPED_TRACE(flight_phase_name(p.kind));
      record_stats cht[6], egt[6], map, oil_temperature, oil_pressure, rpm;
      for (const log_entry& e : records) {
        if (e.type != 2 || e.timestamp < p.start.log_ms || e.timestamp >= p.end.log_ms) continue;
        for (std::size_t c = 0; c < fitted; ++c) {
          cht[c].add(u16(e.payload, 5 + 2 * c));
          egt[c].add(u16(e.payload, 17 + 2 * c));
        }
        map.add(static_cast<std::int16_t>(u16(e.payload, 48)) / 10.0);
        oil_temperature.add(u16(e.payload, 45));
        oil_pressure.add(static_cast<std::uint8_t>(e.payload[47]));
        rpm.add(u16(e.payload, 3));
      }
      EXPECT_EQ(p.figures.eis_samples, cht[0].count);
      // The measures that keep their reading from one sample to the next, as the cylinders.
      for (const auto& [m, r] : {std::pair{&p.figures.oil_temperature, &oil_temperature},
                                 std::pair{&p.figures.oil_pressure_psi, &oil_pressure}, std::pair{&p.figures.rpm, &rpm}}) {
        EXPECT_EQ(m->count, r->count);
        EXPECT_EQ(m->min, r->min);
        EXPECT_EQ(m->max, r->max);
        EXPECT_EQ(m->median, r->median());
      }
      for (std::size_t c = 0; c < 6; ++c) {
        if (c >= fitted) {
          EXPECT_EQ(p.figures.cht[c].count, 0u);
          continue;
        }
        const measure_figures& m = p.figures.cht[c];
        EXPECT_NEAR(m.mean, cht[c].sum / cht[c].count, 1e-6) << "cylinder " << c + 1;
        EXPECT_EQ(m.min, cht[c].min);
        EXPECT_EQ(m.max, cht[c].max);
        EXPECT_EQ(m.median, cht[c].median());
        EXPECT_NEAR(p.figures.egt[c].mean, egt[c].sum / egt[c].count, 1e-6) << "cylinder " << c + 1;
        EXPECT_EQ(p.figures.egt[c].median, egt[c].median());
        const double s_long = seconds_between(planted[i].start.log_ms, planted[i].end.log_ms);
        if (s_long >= 60.0) {
          const double truth_mean = *planted[i].engine.cht[c].mean();
          EXPECT_NEAR(m.mean, truth_mean, 2.0) << "cylinder " << c + 1;
          worst_truth = std::max(worst_truth, std::fabs(m.mean - truth_mean));
        }
      }
      const bool mapped = std::string(r.profile).find("manifold") != std::string::npos;
      EXPECT_EQ(p.figures.manifold_pressure_inhg.count, mapped ? map.count : 0u);
      if (mapped) {
        EXPECT_NEAR(p.figures.manifold_pressure_inhg.median, map.median(), 1e-4);
      }
      EXPECT_EQ(p.figures.fuel_pressure_psi.count > 0, std::string(r.profile).find("fuel_pressure") != std::string::npos);
    }
    RecordProperty(std::string("worst_cht_mean_error_f_") + r.name, std::to_string(worst_truth));
  }
}

// The steepest cooling of the heads: in the fast-cooling descent over 60 F a minute, in the
// healthy flight's descents well under it.
TEST(FlightPhases, TellTheSteepestCoolingOfEachHead) {
  const struct {
    const char* name;
    double least;
    double most;
  } rows[] = {{"fast_cooling_descent", 60.0, 400.0}, {"healthy_flight", 0.0, 40.0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const log_summary s = analyse_bytes(fly(r.name).log);
    ASSERT_EQ(s.flights.size(), 1u);
    double steepest = -1e9;
    for (const phase_record& p : s.flights[0].phases) {
      if (p.kind != flight_phase_kind::descent) continue;
      for (const cooling_figure& c : p.figures.cht_cooling) {
        if (!c.has) continue;
        steepest = std::max(steepest, c.per_minute);
        EXPECT_NEAR(seconds_between(c.from.log_ms, c.to.log_ms), 60.0, 3.0);
      }
    }
    EXPECT_GE(steepest, r.least);
    EXPECT_LE(steepest, r.most);
  }
}
