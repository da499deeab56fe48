// The engine warnings on the scenario flights, against what each scenario planted: the rule,
// the probe or engine, the cylinder, and the start and end within 5 s of the planted event; no
// other warning; and a scenario without an engine event gives none.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "analysis/warning_rules.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flown_scenario.h"
#include "support/flight_profile.h"

namespace {

std::vector<engine_warning> warnings_of(const log_summary& s) {
  std::vector<engine_warning> all;
  for (const flight_record& w : s.flights) all.insert(all.end(), w.warnings.begin(), w.warnings.end());
  for (const flight_record& w : s.ground_runs) all.insert(all.end(), w.warnings.begin(), w.warnings.end());
  return all;
}

double off_s(const log_instant& found, const truth_moment& planted) {
  return std::fabs(static_cast<double>(found.utc_ms - planted.utc_ms) / 1000.0);
}

// What of the planted event the warning matches: its start and end, its start alone (a fault
// lasting to the end of the scenario), its start and some 20 s or more within it (a cooling), or
// its end (the cooling of a planted heat going away).
enum class bound { both, start, start_within_event, across_end };

struct expected_warning {
  limit_parameter parameter;
  probe_kind probe;
  int cylinder;  // 0: every fitted cylinder one warning each
  bound check;
};

}  // namespace

TEST(EngineWarnings, AreThoseTheScenarioPlanted) {
  using lp = limit_parameter;
  const struct {
    const char* scenario;
    const char* limits;  // lines over the defaults
    std::vector<expected_warning> expected;
  } rows[] = {
      {"healthy_flight", "", {}},
      {"hot_cylinder", "",
       {{lp::cht_high, probe_kind::none, 3, bound::both},
        {lp::cht_above_others, probe_kind::none, 3, bound::both},
        // the planted heat leaves cylinder 3 within seconds: as fast a cooling as there is
        {lp::cht_cooling, probe_kind::none, 3, bound::across_end}}},
      // a higher CHT threshold from the limits file; the other rules keep their defaults
      {"hot_cylinder", "cht_high = 450 F\ncht_cooling = 200 F",
       {{lp::cht_above_others, probe_kind::none, 3, bound::both}}},
      {"failing_probe", "", {{lp::probe_low, probe_kind::egt, 2, bound::start}}},
      {"jumping_probe", "", {{lp::probe_jump, probe_kind::cht, 4, bound::both}}},
      {"low_oil_pressure", "", {{lp::oil_pressure_low, probe_kind::none, 0, bound::both}}},
      {"low_oil_pressure", "oil_pressure_low = 15 psi", {}},
      // the heads cool faster than 60 F a minute from the power cut, for part of the dive
      {"fast_cooling_descent", "", {{lp::cht_cooling, probe_kind::none, 0, bound::start_within_event}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(std::string(r.scenario) + " " + r.limits);
    const flown_scenario& f = fly(r.scenario);
    analysis_options options = default_analysis_options();
    const limits_parse_result lines = parse_limits(r.limits);
    ASSERT_TRUE(lines.ok()) << lines.error;
    options.limits = lines.limits;
    const std::vector<engine_warning> found = warnings_of(analyse_bytes(f.log, options));
    const truth_engine_event* event = f.truth.engine_events.empty() ? nullptr : &f.truth.engine_events[0];
    std::size_t expected_count = 0;
    for (const expected_warning& e : r.expected) {
      ASSERT_NE(event, nullptr);
      // The cylinder named, or each fitted one; the oil pressure is the engine's (0).
      const bool engine_wide = e.parameter == lp::oil_pressure_low;
      for (int c = engine_wide ? 0 : 1; c <= (engine_wide ? 0 : f.truth.cylinders); ++c) {
        if (e.cylinder != 0 && c != e.cylinder) continue;
        ++expected_count;
        const auto w = std::find_if(found.begin(), found.end(), [&](const engine_warning& x) {
          return x.parameter == e.parameter && x.probe == e.probe && x.cylinder == c;
        });
        ASSERT_NE(w, found.end()) << limit_name(e.parameter) << " cylinder " << c;
        if (e.check == bound::across_end) {
          EXPECT_LE(w->start.utc_ms, event->end.utc_ms);
          EXPECT_GE(w->end.utc_ms, event->end.utc_ms);
          EXPECT_LE(w->end.utc_ms - w->start.utc_ms, 60000);
        } else {
          EXPECT_LE(off_s(w->start, event->start), 5.0) << limit_name(e.parameter) << " cylinder " << c;
        }
        if (e.check == bound::both) {
          EXPECT_LE(off_s(w->end, event->end), 5.0) << limit_name(e.parameter);
        }
        if (e.check == bound::start_within_event) {
          EXPECT_LE(w->end.utc_ms, event->end.utc_ms + 5000) << limit_name(e.parameter);
          EXPECT_GE(w->end.utc_ms - w->start.utc_ms, 20000) << limit_name(e.parameter);
        }
        const bool minimum = !is_maximum(e.parameter);
        EXPECT_GT(minimum ? w->threshold - w->peak : w->peak - w->threshold, minimum ? -1e-9 : 0.0);
      }
    }
    // Nothing else: no other rule, and no other cylinder.
    EXPECT_EQ(found.size(), expected_count);
  }
}

// A scenario without an engine event: no warning of any kind.
TEST(EngineWarnings, NoneWithoutAnEngineEvent) {
  int flown_count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(scenario_dir)) {
    if (entry.path().extension() != ".scenario") continue;
    const std::string name = entry.path().stem().string();
    const flown_scenario& f = fly(name);
    if (!f.truth.engine_events.empty() && name != "mixture_rich_lean") continue;
    ++flown_count;
    for (const engine_warning& x : warnings_of(analyse_bytes(f.log))) {
      ADD_FAILURE() << name << ": " << limit_name(x.parameter) << " cylinder " << int{x.cylinder};
    }
  }
  EXPECT_GE(flown_count, 10);
}

// Probes that never read (a four-cylinder LOG read as six) are not fitted: no probe fault, and
// no cylinder 50 F above a mean dragged down by them.
TEST(EngineWarnings, ProbesThatNeverReadAreNotFitted) {
  analysis_options options = default_analysis_options();
  ASSERT_TRUE(read_aircraft_profile("cylinders = 6", options.profile).ok());
  const log_summary s = analyse_bytes(fly("four_cylinder_map").log, options);
  ASSERT_EQ(s.flights.size(), 1u);
  EXPECT_TRUE(warnings_of(s).empty()) << limit_name(warnings_of(s).front().parameter);
}

// Faults that come and go in one flight: each is told once, however the checks between them
// stand (nothing wrong, a probe still under suspicion, another probe's warning going on).
TEST(EngineWarnings, EachFaultOfAFlightIsToldOnce) {
  using lp = limit_parameter;
  const std::string route =
      "start 2026-05-09T17:00:00Z\nvariation 15.5\ncylinders 4\n"
      "depart 47.4866 -122.2147 32 354\nfly-to 47.5600 -122.2400 3000 115\n"
      "fly-to 47.6800 -122.3000 3000 115\nfly-to 47.6200 -122.4200 3000 115\n"
      "fly-to 47.5200 -122.3000 1500 110\nland 47.4866 -122.2147 32 354\nstop-engine\n";
  const struct {
    const char* events;
    std::vector<std::pair<lp, int>> told;  // rule and cylinder, in the order they began
  } rows[] = {
      {"cylinder 4 cht probe-fail at 8:00 to 9:00 jumping\ncylinder 4 cht probe-fail at 12:00 to 13:00 jumping\n",
       {{lp::probe_jump, 4}, {lp::probe_jump, 4}}},
      {"cylinder 2 cht probe-fail at 8:00 to 11:00 jumping\ncylinder 3 egt probe-fail at 9:00 reads 0\n",
       {{lp::probe_jump, 2}, {lp::probe_low, 3}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.events);
    scenario planned;
    scenario_error error;
    ASSERT_TRUE(read_scenario(route + r.events, planned, error)) << error_text(error);
    const std::vector<engine_warning> found = warnings_of(analyse_bytes(scenario_log(planned)));
    ASSERT_EQ(found.size(), r.told.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].parameter, r.told[i].first) << i;
      EXPECT_EQ(found[i].cylinder, r.told[i].second) << i;
    }
  }
}
