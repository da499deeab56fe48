// Aircraft limits files: what a line may say, the line number of a bad one, and the
// exceedances found in a LOG.
#include <gtest/gtest.h>

#include <string>

#include "analysis/limits.h"
#include "analysis/warning_rules.h"
#include "support/capture.h"
#include "support/flight_profile.h"

TEST(LimitsFile, ReadsEveryFormOfALimit) {
  const limits_parse_result r = parse_limits(
      "# engine limits\n"
      "\n"
      "cht_max = 460 F\n"
      "  egt_span_max=150   # hottest minus coolest\r\n"
      "oil_pressure_min = 25 psi when rpm > 1000\n"
      "oil_pressure_min = 10 when rpm>=500\n"
      "oil_temperature_max = 118 C\n"
      "ias_max = 163 kt when airborne\n"
      "bus_voltage_min = 12.5 V when ias < 40.5");
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.limits.size(), 7u);
  EXPECT_EQ(r.limits[0].parameter, limit_parameter::cht_max);
  EXPECT_EQ(r.limits[0].value, 460.0);
  EXPECT_TRUE(r.limits[0].has_temperature_unit);
  EXPECT_EQ(r.limits[0].line, 3);
  EXPECT_FALSE(r.limits[1].has_temperature_unit);
  EXPECT_EQ(condition_text(r.limits[2].when), "rpm > 1000");
  EXPECT_EQ(condition_text(r.limits[3].when), "rpm >= 500");
  EXPECT_EQ(r.limits[4].unit, temperature_unit::celsius);
  EXPECT_EQ(condition_text(r.limits[5].when), "airborne");
  EXPECT_EQ(condition_text(r.limits[6].when), "ias < 40.5");
}

TEST(LimitsFile, ReadsCrLfLinesAfterAByteOrderMarkAndTheWholeRange) {
  const limits_parse_result r =
      parse_limits("\xEF\xBB\xBF" "cht_max = 100000\r\nrpm_max = -100000 when ias > 0\r\n# end\r\n");
  ASSERT_TRUE(r.ok()) << r.error;
  ASSERT_EQ(r.limits.size(), 2u);
  EXPECT_EQ(r.limits[0].value, 100000.0);
  EXPECT_EQ(r.limits[1].value, -100000.0);
}

TEST(LimitsFile, RefusesABadLineWithItsNumber) {
  const struct {
    const char* text;
    int line;
    const char* says;
  } rows[] = {
      {"cht_max = 460\nchtmax = 460\n", 2, "unknown parameter \"chtmax\""},
      {"cht_max 460", 1, "expected \"=\" after cht_max"},
      {"\n\ncht_max = hot", 3, "expected a number after \"=\", found \"hot\""},
      {"cht_max =", 1, "expected a number"},
      {"cht_max = 460 K", 1, "unit \"K\" does not fit cht_max (F or C)"},
      {"oil_pressure_min = 25 bar", 1, "unit \"bar\" does not fit oil_pressure_min (psi)"},
      {"oil_pressure_min = 25 psi if rpm > 1000", 1, "expected \"when\" or the end of the line, found \"if\""},
      {"oil_pressure_min = 25 when rpm 1000", 1, "expected <, <=, > or >= after rpm"},
      {"oil_pressure_min = 25 when rpm > fast", 1, "expected a number in the condition"},
      {"oil_pressure_min = 25 when altitude > 1000", 1, "unknown condition \"altitude\""},
      {"oil_pressure_min = 25 when", 1, "unknown condition"},
      {"cht_max = 460 F extra", 1, "expected \"when\" or the end of the line, found \"extra\""},
      {"cht_max = 460 when airborne now", 1, "unexpected \"now\""},
      {"cht_max = 460;", 1, "unexpected \";\""},
      {"cht_max = 460\ncht_max = 470 F\n", 2, "cht_max is already given on line 1"},
      {"= 460", 1, "unknown parameter \"=\""},
      {"cht_max = inf", 1, "\"inf\" is not a number from -100000 to 100000"},
      {"cht_max = -infinity", 1, "\"-infinity\" is not a number from -100000 to 100000"},
      {"cht_max = nan", 1, "\"nan\" is not a number from"},
      {"rpm_max = 100000.5", 1, "\"100000.5\" is not a number from"},
      {"rpm_max = 2700 when rpm > -100001", 1, "\"-100001\" is not a number from"},
      {"\xEF\xBB\xBF\xEF\xBB\xBF" "cht_max = 460", 1, "unknown parameter"},  // one mark only
  };
  for (const auto& r : rows) {
    const limits_parse_result result = parse_limits(r.text);
    EXPECT_EQ(result.error_line, r.line) << r.text;
    EXPECT_NE(result.error.find(r.says), std::string::npos) << r.text << "\n" << result.error;
    EXPECT_TRUE(result.limits.empty());
  }
}

TEST(Exceedances, AreFoundPerCylinderWithTheirPeakAndTimes) {
  // Cylinder n reads rpm / 10 + n - 1: at 2400 rpm cylinders 3 and 4 (242, 243) pass 241.
  const std::vector<profile_leg> legs = {{60, 0, 0}, {60, 1000, 10}, {120, 2400, 100}, {60, 1000, 10}, {60, 0, 0}};
  analysis_options o = default_analysis_options();
  o.limits = parse_limits("cht_max = 241\noil_pressure_min = 70 when rpm > 1500\n").limits;
  const log_summary s = analyse_bytes(profile_log(legs), o);
  ASSERT_EQ(s.flights.size(), 1u);
  const std::vector<exceedance>& x = s.flights[0].exceedances;
  ASSERT_EQ(x.size(), 3u);
  // In the order they began, those that began at one sample in the order of the limits:
  // cylinders 3 and 4 as the engine reaches 2400 rpm, and the oil pressure (60 psi) with them.
  EXPECT_EQ(x[0].cylinder, 3);
  EXPECT_EQ(x[1].cylinder, 4);
  EXPECT_EQ(x[1].peak, 243.0);
  EXPECT_EQ(x[2].limit_index, 1u);
  EXPECT_EQ(x[2].cylinder, 0);
  EXPECT_EQ(x[2].peak, 60.0);
  EXPECT_EQ(x[2].start.log_ms, leg_start_ms(legs, 2));
  EXPECT_EQ(x[2].end.log_ms, leg_start_ms(legs, 3));
  EXPECT_EQ(x[0].end.log_ms, leg_start_ms(legs, 3));
  EXPECT_TRUE(x[2].start.has_utc);
  EXPECT_EQ(s.exceedances.size(), 3u);
}

TEST(Exceedances, AValueWaveringAtTheLimitMakesOneExceedance) {
  std::vector<profile_leg> legs = {{60, 1000, 10}};
  for (int i = 0; i < 10; ++i) {
    legs.push_back({2, 2420, 10});
    legs.push_back({2, 2380, 10});
  }
  legs.push_back({60, 1000, 10});
  analysis_options o = default_analysis_options();
  o.limits = parse_limits("cht_max = 242").limits;
  const log_summary s = analyse_bytes(profile_log(legs), o);
  ASSERT_EQ(s.ground_runs.size(), 1u);
  // Cylinders 2, 3 and 4 read 243 to 245 at 2420 rpm, and 239 to 241 at 2380 rpm.
  ASSERT_EQ(s.ground_runs[0].exceedances.size(), 3u);
  for (const exceedance& x : s.ground_runs[0].exceedances) {
    EXPECT_EQ(x.start.log_ms, leg_start_ms(legs, 1));
    EXPECT_EQ(x.end.log_ms, leg_start_ms(legs, 20));
  }
}

// A warning line replaces that warning's default and leaves the others; without `for` it keeps
// the default's time, without `when` the default's condition.
TEST(LimitsFile, WarningLinesReplaceTheirDefaultsOnly) {
  const struct {
    const char* text;
    induction_kind induction;
    limit_parameter parameter;
    double value;
    double seconds;
    const char* condition;
    bool is_default;
  } rows[] = {
      {"", induction_kind::injected, limit_parameter::egt_spread_cruise, 100, 60, "", true},
      {"", induction_kind::carbureted, limit_parameter::egt_spread_cruise, 150, 60, "", true},
      {"", induction_kind::not_said, limit_parameter::egt_spread_cruise, 150, 60, "", true},
      {"cht_high = 420 F for 60 s", induction_kind::not_said, limit_parameter::cht_high, 420, 60, "", false},
      {"cht_high = 420 F for 60 s", induction_kind::not_said, limit_parameter::cht_above_others, 50, 60, "", true},
      {"oil_pressure_low = 20 psi", induction_kind::not_said, limit_parameter::oil_pressure_low, 20, 10, "rpm > 1500",
       false},
      {"oil_pressure_low = 20 when rpm > 2000 for 5 s", induction_kind::not_said, limit_parameter::oil_pressure_low, 20,
       5, "rpm > 2000", false},
      {"egt_spread_cruise = 120", induction_kind::injected, limit_parameter::egt_spread_cruise, 120, 60, "", false},
      {"cht_max = 380 F", induction_kind::not_said, limit_parameter::cht_high, 400, 30, "", true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.text);
    const limits_parse_result parsed = parse_limits(r.text);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    const warning_rules rules = resolve_warning_rules(r.induction, parsed.limits);
    const warning_rule& rule = rules[warning_index(r.parameter)];
    EXPECT_EQ(rule.limit.parameter, r.parameter);
    EXPECT_EQ(rule.limit.value, r.value);
    EXPECT_EQ(rule.limit.seconds, r.seconds);
    EXPECT_EQ(condition_text(rule.limit.when), r.condition);
    EXPECT_EQ(rule.is_default, r.is_default);
    EXPECT_EQ(limits_only(parsed.limits).size(), std::string(r.text).starts_with("cht_max") ? 1u : 0u);
  }
}

TEST(LimitsFile, RefusesABadWarningLine) {
  const struct {
    const char* text;
    int line;
    const char* says;
  } rows[] = {
      {"cht_max = 460 F for 30 s", 1, "only a warning takes \"for\""},
      {"cht_high = 420 F for 30", 1, "expected \"s\" after the time"},
      {"cht_high = 420 F for 5000 s", 1, "a time from 0 to 3600 s"},
      {"cht_high = 420 F during 30 s", 1, "expected \"when\", \"for\" or the end of the line"},
      {"oil_pressure_low = 20\noil_pressure_low = 22 when rpm > 2000", 2, "already given on line 1"},
  };
  for (const auto& r : rows) {
    const limits_parse_result result = parse_limits(r.text);
    EXPECT_EQ(result.error_line, r.line) << r.text;
    EXPECT_NE(result.error.find(r.says), std::string::npos) << r.text << "\n" << result.error;
  }
}

// The shipped sample files read whole and write out every warning: the four-cylinder one at
// the defaults of a carbureted engine, the six-cylinder one at an injected engine's spread.
TEST(LimitsFile, TheSampleFilesSetEveryWarning) {
  const struct {
    const char* file;
    induction_kind defaults_of;
    std::size_t limits;
    double oil_pressure_psi;
  } rows[] = {{"four_cylinder.limits", induction_kind::carbureted, 5, 25},
              {"six_cylinder.limits", induction_kind::injected, 6, 30}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file);
    const limits_parse_result parsed =
        parse_limits(read_file(std::string(ORVEX_SOURCE_DIR) + "/data/limits/" + r.file));
    ASSERT_TRUE(parsed.ok()) << parsed.error_line << ": " << parsed.error;
    EXPECT_EQ(limits_only(parsed.limits).size(), r.limits);
    const warning_rules rules = resolve_warning_rules(induction_kind::not_said, parsed.limits);
    const warning_rules defaults = default_warning_rules(r.defaults_of);
    for (std::size_t i = 0; i < warning_rule_count; ++i) {
      const aircraft_limit& got = rules[i].limit;
      EXPECT_FALSE(rules[i].is_default) << limit_name(got.parameter);
      const double expected =
          got.parameter == limit_parameter::oil_pressure_low ? r.oil_pressure_psi : defaults[i].limit.value;
      EXPECT_EQ(got.value, expected) << limit_name(got.parameter);
      EXPECT_EQ(got.seconds, defaults[i].limit.seconds) << limit_name(got.parameter);
      EXPECT_EQ(got.when, defaults[i].limit.when) << limit_name(got.parameter);
      EXPECT_EQ(got.has_temperature_unit, defaults[i].limit.has_temperature_unit) << limit_name(got.parameter);
    }
  }
}
