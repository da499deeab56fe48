// The scenario file: what a good file holds once read, and each bad line refused with its line
// number and what is wrong with it.
#include <gtest/gtest.h>

#include <string>

#include "scenario_file.h"

namespace {

const std::string head = "start 2026-05-09T03:30:00Z\n";             // line 1
const std::string departure = "depart 47.4866 -122.2147 32 354\n";  // line 2 after head

}  // namespace

TEST(ScenarioFile, AGoodFileGivesItsSettingsStepsAndEvents) {
  const std::string text =
      "# a comment line\n"
      "start 2026-05-09T03:30:00.250Z   # UTC of the first record\n"
      "cylinders 6\n"
      "aux1 manifold\n"
      "gps-port 1 nmea\n"
      "gps-delay 0.05 0.95\n"
      "gps-fraction on\n"
      "\n"
      "depart 47.4866 -122.2147 32\n"
      "fly-to 47.6 -122.3 3500 115\n"
      "fly-to 47.5 -122.3 1500 150 idle\n"
      "touch-and-go 47.4866 -122.2147 32 354\n"
      "land 47.4866 -122.2147 32 354\n"
      "taxi 0:30\n"
      "stop-engine\n"
      "power-off 600\n"
      "restart-clock\n"
      "start-engine\n"
      "wait 1:02:03\n"
      "cylinder 3 cht +90 from 4:00 to 24:00\n"
      "cylinder 2 egt probe-fail at 10:00 jumping\n"
      "oil-pressure 18 from 300 to 420.5\n";
  scenario s;
  scenario_error error;
  ASSERT_TRUE(read_scenario(text, s, error)) << error_text(error);
  EXPECT_EQ(s.settings.start_utc_ms, 1778297400250);
  EXPECT_EQ(s.settings.cylinders, 6);
  EXPECT_EQ(s.settings.aux[0], aux_input::manifold_pressure);
  EXPECT_EQ(s.settings.gps[0], gps_sentences::nmea);
  EXPECT_EQ(s.settings.gps[1], gps_sentences::none);  // a port not named has no receiver
  EXPECT_TRUE(s.settings.gps_fraction);
  EXPECT_DOUBLE_EQ(s.settings.gps_delay_max_s, 0.95);
  ASSERT_EQ(s.steps.size(), 11u);
  EXPECT_EQ(s.steps[0].line, 9);
  EXPECT_FALSE(s.steps[0].heading_given);
  EXPECT_TRUE(s.steps[2].idle);
  EXPECT_EQ(s.steps[3].command, scenario_command::touch_and_go);
  EXPECT_DOUBLE_EQ(s.steps[5].seconds, 30.0);
  EXPECT_DOUBLE_EQ(s.steps[8].seconds, 0.0);
  EXPECT_DOUBLE_EQ(s.steps[10].seconds, 3723.0);
  ASSERT_EQ(s.events.size(), 3u);
  EXPECT_EQ(s.events[0].kind, engine_event_kind::cht_offset);
  EXPECT_DOUBLE_EQ(s.events[0].value, 90.0);
  EXPECT_DOUBLE_EQ(s.events[0].start_s, 240.0);
  EXPECT_DOUBLE_EQ(s.events[0].end_s, 1440.0);
  EXPECT_TRUE(s.events[1].jumping);
  EXPECT_EQ(s.events[1].end_s, std::numeric_limits<double>::infinity());
  EXPECT_DOUBLE_EQ(s.events[2].end_s, 420.5);
}

TEST(ScenarioFile, ABadLineIsRefusedWithItsNumber) {
  const struct {
    std::string text;
    int line;
    const char* message;
  } rows[] = {
      {head + departure + "fly-over 1 2 3 4\n", 3, "unknown command 'fly-over'"},
      {head + departure + "fly-to 47.6 -122.3 3500\n", 3, "expected: fly-to LAT LON ALT_FT KT [idle]"},
      {head + departure + "fly-to 47.6 -122.3 3500 115 fast\n", 3, "unexpected 'fast' (only idle may follow)"},
      {head + departure + "fly-to 97.6 -122.3 3500 115\n", 3, "latitude '97.6' out of range (from -89 to 89)"},
      {head + departure + "fly-to 47.6 west 3500 115\n", 3, "bad longitude 'west'"},
      {head + "fly-to 47.6 -122.3 3500 115\n" + departure, 2, "fly-to on the ground: depart first"},
      {head + departure + "stop-engine\n", 3, "stop-engine in the air"},
      {head + "taxi 30\n" + departure, 2, "taxi with the engine stopped"},
      {head + departure + "land 47.9 -122.28 600\ndepart 47.4866 -122.2147 32\n", 4,
       "depart from a point 46 km from where the aircraft stands"},
      {head + departure + "wait 0\n", 3, "the duration must be more than 0"},
      {head + departure + "wait 4:75\n", 3, "bad duration '4:75'"},
      {"start 2026-02-30T03:30:00Z\n" + departure, 1, "bad start time '2026-02-30T03:30:00Z' (UTC, e.g. 2026-05-09T03:30:00Z)"},
      {"start 2026-05-09 03:30:00\n" + departure, 1, "expected: start YYYY-MM-DDTHH:MM:SSZ"},
      {head + "start 2026-05-09T03:30:00Z\n" + departure, 2, "start given twice (first on line 1)"},
      {head + "cylinders 5\n" + departure, 2, "cylinders is 4 or 6"},
      {head + "gps-port 3\n" + departure, 2, "the GPS port is 1, 2 or both"},
      {head + "gps-port both nmea\ngps-port 2 aviation\n" + departure, 3, "gps-port 2 given twice (first on line 2)"},
      {head + "gps-delay 0.9 0.1\n" + departure, 2, "the longest delay is shorter than the shortest"},
      {head + "gps-delay 0 3\n" + departure, 2, "delay '3' out of range (from 0 to 2)"},
      {head + "aux7 manifold\n" + departure, 2, "unknown command 'aux7'"},
      {head + "aux1 oil\n" + departure, 2, "an aux input carries manifold, fuel-pressure or none"},
      {head + departure + "cylinder 3 cht 90 from 4:00\n", 3, "an offset has its sign: +90 or -40"},
      {head + departure + "cylinder 3 cht +90 from 9:00 to 4:00\n", 3, "the end is not after the start"},
      {head + departure + "cylinder 3 oil +90 from 4:00\n", 3, "a cylinder's probe is cht or egt"},
      {head + departure + "cylinder 2 egt probe-fail 10:00\n", 3, "expected 'at TIME'"},
      {head + departure + "cylinder 5 cht +90 from 4:00\n", 3, "cylinder 5 of an engine of 4 cylinders"},
      {head + departure + "mixture best from 4:00\n", 3, "expected: mixture rich|lean from TIME [to TIME]"},
      {head + departure + "fly-to 47.6 -122.3 3500 115\nwait 300:00:00\npower-off 300:00:00\npower-off 300:00:00\n", 6,
       "power-off makes the scenario longer than 30 days"},
      {departure, 0, "no start line: the scenario needs its UTC start"},
      {head + "wait 30\n", 0, "no depart line: the aircraft needs a place to start from"},
  };
  for (const auto& r : rows) {
    scenario s;
    scenario_error error;
    EXPECT_FALSE(read_scenario(r.text, s, error)) << r.text;
    EXPECT_EQ(error.line, r.line) << r.text;
    EXPECT_EQ(error.message, r.message) << r.text;
  }
}
