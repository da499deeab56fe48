// Flight summaries of two LOGs on two threads at once, each on its own context, are what they
// are one after the other (the thread sanitizer build runs the ConcurrentDecode tests).
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "flight_simulator.h"
#include "support/flight_profile.h"
#include "support/flown_scenario.h"

namespace {

// The figures that depend on every record: counts, events and maxima.
std::string digest(const log_summary& s) {
  std::string d;
  const auto add = [&d](double v) {
    d += std::to_string(v);
    d += '/';
  };
  add(static_cast<double>(s.health.reader.records));
  for (const flight_record& f : s.flights) {
    add(static_cast<double>(f.takeoff->when.utc_ms));
    add(f.landing->when.log_ms);
    for (const highest& c : f.figures.cht) add(c.value);
  }
  return d;
}

// The phases and engine warnings of every window, with their instants and figures, and what
// the GPS fixes gave: the takeoffs' and landings' places, the distance, the ports' counts.
std::string threads_digest(const log_summary& s) {
  std::string d;
  const auto add = [&d](double v) {
    d += std::to_string(v);
    d += '/';
  };
  const auto add_instant = [&](const log_instant& at) {
    add(at.log_ms);
    add(at.segment);
    add(at.has_utc ? static_cast<double>(at.utc_ms) : -1.0);
  };
  for (const auto* list : {&s.flights, &s.ground_runs}) {
    for (const flight_record& w : *list) {
      for (const phase_record& p : w.phases) {
        add(static_cast<double>(p.kind));
        add_instant(p.start);
        add_instant(p.end);
        add(static_cast<double>(p.figures.eis_samples));
        for (const measure_figures& m : p.figures.cht) add(m.mean + m.median + m.max);
        add(p.figures.cht_cooling[0].per_minute);
      }
      for (const std::optional<log_event>* e : {&w.takeoff, &w.landing}) {
        if (*e) add((*e)->position.latitude_deg + 1000.0 * (*e)->position.longitude_deg);
      }
      add(w.distance_nm.value_or(-1.0));
      for (const engine_warning& x : w.warnings) {
        add(static_cast<double>(x.parameter));
        add(x.cylinder);
        add_instant(x.start);
        add_instant(x.end);
        add(x.peak);
      }
      d += '|';
    }
  }
  add(static_cast<double>(s.phases_not_listed));
  add(static_cast<double>(s.warnings_not_listed));
  for (const auto& port : s.health.gps) add(static_cast<double>(port.sentences_accepted * 7 + port.sentences_rejected));
  return d;
}

}  // namespace

// The phases and engine warnings worked out, and the GPS sentences put together, on threads of
// their own are those of the pass's thread, on LOGs with power cycles, restarts in flight,
// several flights, warnings and GPS delays.
TEST(ConcurrentDecode, PhasesAndGpsOnTheirOwnThreadsAreThoseOfThePass) {
  for (const char* name : {"hot_cylinder", "two_flights_power_off", "in_flight_restart", "pattern_krnt",
                           "fast_cooling_descent", "joined_logs", "gps_delay_fraction_port2"}) {
    SCOPED_TRACE(name);
    analysis_options options = default_analysis_options();
    const std::string inline_digest = threads_digest(analyse_bytes(fly(name).log, options));
    options.phases_on_thread = options.gps_on_thread = true;
    const std::string thread_digest = threads_digest(analyse_bytes(fly(name).log, options));
    EXPECT_GT(inline_digest.size(), 40u);
    EXPECT_EQ(thread_digest, inline_digest);
  }
}

TEST(ConcurrentDecode, FlightSummariesOnTwoThreadsAreTheSameAsOneAfterTheOther) {
  const std::string first = simulated_log({.seed = 3, .minutes = 12.0});
  const std::string second = simulated_log({.seed = 4, .minutes = 12.0});
  const std::string alone_a = digest(analyse_bytes(first));
  const std::string alone_b = digest(analyse_bytes(second));
  ASSERT_NE(alone_a, alone_b);
  std::string together_a, together_b;
  std::thread thread_a([&] { together_a = digest(analyse_bytes(first)); });
  together_b = digest(analyse_bytes(second));
  thread_a.join();
  EXPECT_EQ(together_a, alone_a);
  EXPECT_EQ(together_b, alone_b);
}
