// Rules that several documents read alike: which GPS port gives the position, the fields a
// short record holds, and the units and clock the exports find before their first row. The
// flight time line, the report's charts and the exports each see them; they must agree.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/flight_timeline.h"
#include "export/export_run.h"
#include "flight_simulator.h"
#include "path/path_logs.h"
#include "report/html/report_data.h"
#include "support/capture.h"
#include "support/flight_profile.h"

namespace {

struct summary_and_charts {
  log_summary summary;
  report_data charts;
};

summary_and_charts read_both(const std::string& log) {
  const context_ptr ctx = make_context();
  const analysis_options options = default_analysis_options();
  FILE* in = stream_with(log);
  summary_and_charts both{analyse_log(*ctx, options, in), {}};
  std::rewind(in);
  report_gathering request;
  request.gap_ms = both.summary.health.gap_limit_ms;
  both.charts = gather_report_data(*ctx, options.decode, options.constants, both.summary, request, in);
  std::fclose(in);
  return both;
}

// The cells of the last row of a CSV, by the header's names.
std::vector<std::pair<std::string, std::string>> last_csv_row(const std::string& csv) {
  const auto cells = [](const std::string& line) {
    std::vector<std::string> out(1);
    for (const char c : line) {
      if (c == ',') {
        out.emplace_back();
      } else {
        out.back().push_back(c);
      }
    }
    return out;
  };
  const std::size_t header_end = csv.find("\r\n");
  const std::size_t last_start = csv.rfind("\r\n", csv.size() - 3) + 2;
  const std::vector<std::string> names = cells(csv.substr(0, header_end));
  const std::vector<std::string> values = cells(csv.substr(last_start, csv.size() - 2 - last_start));
  std::vector<std::pair<std::string, std::string>> row;
  for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) row.emplace_back(names[i], values[i]);
  return row;
}

std::string cell(const std::vector<std::pair<std::string, std::string>>& row, const std::string& name) {
  for (const auto& [n, v] : row) {
    if (n == name) return v;
  }
  return "missing";
}

std::string csv_of(const std::string& log) {
  const context_ptr ctx = make_context();
  FILE* in = stream_with(log);
  FILE* out = std::tmpfile();
  export_log(*find_export_format("csv"), *ctx, default_export_request(), in, out);
  std::fclose(in);
  return drain_stream(out);
}

}  // namespace

// GPS 1 at 60 kt gives one fix, GPS 2 at 80 kt a fix `silence` later, with the engine starting
// on the same millisecond: GPS 2 is the position source once GPS 1 has been silent more than 5 s,
// for the flight events and figures as for the charts and the map's track.
TEST(SharedRules, GpsTwoTakesOverAfterFiveSecondsOfGpsOneSilence) {
  const struct {
    std::uint32_t silence_ms;
    bool gps_2;
  } rows[] = {{4000, false}, {5000, false}, {5001, true}, {9000, true}};
  const double gps_1_latitude = 47 + 23.45 / 60;
  const double gps_2_latitude = 47 + 28.0 / 60;
  for (const auto& r : rows) {
    SCOPED_TRACE(r.silence_ms);
    const std::uint32_t t = 1000 + r.silence_ms;
    log_writer log;
    log.gps1(1000, aviation_fix("N 47 2345", "W 122 1234", "123", "060"));
    log.gps2(t, rmc_sentence(1'716'044'400, 80));
    log.eis(t, {.tachometer = 2400});
    const summary_and_charts both = read_both(log.str());
    const double latitude = r.gps_2 ? gps_2_latitude : gps_1_latitude;
    const double speed = r.gps_2 ? 80.0 : 60.0;

    ASSERT_TRUE(both.summary.log.engine_start && both.summary.log.engine_start->has_position);
    EXPECT_NEAR(both.summary.log.engine_start->position.latitude_deg, latitude, 1e-4);
    EXPECT_EQ(both.summary.log.figures.ground_speed_kt.value, speed);
    EXPECT_EQ(both.charts[series_id::ground_speed].highest().value, speed);
    ASSERT_FALSE(both.charts.track.empty());
    EXPECT_NEAR(both.charts.track.back().latitude_deg, latitude, 1e-4);
  }
}

// EIS records cut short after each of the fields the three read: a field the record holds has
// one value in the CSV, on the charts and in the figures; one it does not hold is neither drawn
// nor counted.
TEST(SharedRules, AShortRecordsFieldsAgreeInTheCsvTheChartsAndTheFigures) {
  const struct {
    std::size_t length;
    bool cht, egt, volts, oil;
  } rows[] = {
      {7, true, false, false, false},
      {19, true, true, false, false},
      {39, true, true, true, false},
      {47, true, true, true, true},
      {73, true, true, true, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.length);
    std::vector<std::uint8_t> eis = eis_payload({.tachometer = 2400,
                                                 .cht = {351},
                                                 .egt = {1302},
                                                 .primaryvoltage = 137,
                                                 .oiltemp = 185,
                                                 .oilpressure = 60});
    eis.resize(r.length);
    log_writer log;
    log.record(2, 1000, eis).record(2, 2000, eis).record(8, 3000, "s");
    const summary_and_charts both = read_both(log.str());
    const flight_figures& figures = both.summary.log.figures;
    const auto row = last_csv_row(csv_of(log.str()));

    const struct {
      const char* column;
      bool held;
      double value;
      const extreme<true>& figure;
      series_id series;
    } fields[] = {
        {"cht1_f", r.cht, 351, figures.cht[0], cht_series(0)},
        {"egt1_f", r.egt, 1302, figures.egt[0], egt_series(0)},
        {"volts", r.volts, 13.7, figures.bus_voltage_high, series_id::bus_voltage},
        {"oil_temp_f", r.oil, 185, figures.oil_temperature, series_id::oil_temperature},
    };
    for (const auto& f : fields) {
      SCOPED_TRACE(f.column);
      EXPECT_EQ(f.figure.has, f.held);
      EXPECT_EQ(both.charts[f.series].empty(), !f.held);
      if (!f.held) continue;
      EXPECT_EQ(std::stod(cell(row, f.column)), f.value);
      EXPECT_EQ(f.figure.value, f.value);
      EXPECT_EQ(both.charts[f.series].highest().value, f.value);
    }
  }
}

// The exports find the units and the first segment's clock with a short first scan unless they
// need the flights; either way the plan is the one the flight time line gives.
TEST(SharedRules, TheExportsFirstScanAgreesWithTheFlightTimeLine) {
  const std::vector<profile_leg> legs = {{20, 1000, 10}, {30, 2400, 100}};
  const struct {
    const char* name;
    std::string log;
    std::optional<std::int64_t> utc_start_ms;
  } rows[] = {
      {"settings then NMEA time", profile_log(legs, {.settings = {"345=1", "346=1"}}), {}},
      {"no settings", profile_log(legs), {}},
      {"no GPS time, a UTC start", profile_log(legs, {.nmea_time = false}), 1'716'044'400'000},
      {"no GPS time", profile_log(legs, {.nmea_time = false, .settings = {"346=2"}}), {}},
      {"a simulated flight", simulated_log({.seed = 3, .minutes = 3.0}), {}},
      {"GPS ports swapped", simulated_log({.seed = 4, .minutes = 2.0, .swap_gps = true}), {}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    export_request request = default_export_request();
    request.utc_start_ms = r.utc_start_ms;
    export_plan plans[2];
    for (const bool time_line : {false, true}) {
      const context_ptr ctx = make_context();
      FILE* in = stream_with(r.log);
      EXPECT_EQ(plan_export(*ctx, request, in, time_line, plans[time_line]), "");
      std::fclose(in);
    }
    const export_plan& scan = plans[0];
    const export_plan& line = plans[1];
    EXPECT_EQ(scan.units.cht, line.units.cht);
    EXPECT_EQ(scan.units.other_temperatures, line.units.other_temperatures);
    EXPECT_EQ(scan.units.fuel, line.units.fuel);
    EXPECT_EQ(scan.units.temperature_setting, line.units.temperature_setting);
    EXPECT_EQ(scan.units.fluid_setting, line.units.fluid_setting);
    EXPECT_EQ(scan.has_utc, line.has_utc);
    const clock_mapping& a = scan.hints.first;
    const clock_mapping& b = line.hints.first;
    EXPECT_EQ(a.source, b.source);
    EXPECT_EQ(a.from_ms, b.from_ms);
    EXPECT_EQ(a.from_offset_ms, b.from_offset_ms);
    EXPECT_EQ(a.target_offset_ms, b.target_offset_ms);
  }
}
