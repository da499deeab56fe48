// Flight summaries of two LOGs on two threads at once, each on its own context, are what they
// are one after the other (the thread sanitizer build runs the ConcurrentDecode tests).
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "flight_simulator.h"
#include "support/flight_profile.h"

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

}  // namespace

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
