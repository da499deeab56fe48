// The logbook: a row per flight, in the CSV an electronic logbook imports (RFC 4180, CRLF).
//
//   myflightbook   a header row of the column names the logbook matches by name, then a row per
//                  flight; date-times "yyyy-mm-dd hh:mm" in UTC
//   foreflight     the import template: its title row, the Aircraft Table (the --tail aircraft)
//                  and the Flights Table with every column of the template; times "hh:mm" in UTC
//
// Both: the date is the departure's local date (logbook_local.h); durations are decimal hours to
// the hundredth, Hobbs readings to the tenth as the meter shows them; clock times are what the
// clock read, the seconds dropped. The route is the idents of the flight's airports in order,
// separated by blanks; a place at no airport has no ident and is told in the comments instead.
// A cell the LOG cannot know (the tach timer, the pilot's roles) stays empty, and so does one
// it does not know for this flight (no UTC, no position, the LOG ending airborne).
#include <iterator>
#include <cstdint>
#include <optional>
#include <string>

#include "analysis/flight_places.h"
#include "analysis/logbook_local.h"
#include "analysis/sun.h"
#include "export/export_columns.h"
#include "export/export_formats.h"
#include "export/export_request.h"
#include "text/fixed_format.h"
#include "text/utc_text.h"

namespace {

// The texts of one flight's cells.
struct logbook_cells {
  std::string date, tail, route, from, to, comments;
  std::string engine_start, engine_end, flight_start, flight_end;  // yyyy-mm-dd hh:mm
  std::string out, off, on, in;                                     // hh:mm
  std::string total_h, night_h, cross_country_h, distance_nm;
  std::string landings, full_stop_day, full_stop_night, day_takeoffs, night_takeoffs;
  std::string hobbs_start, hobbs_end;
};

using cell_of = std::string logbook_cells::*;

struct logbook_column {
  std::string_view name;
  cell_of cell;  // nullptr: always empty
};

// clang-format off
constexpr logbook_column myflightbook_columns[] = {
    {"Date", &logbook_cells::date},
    {"Tail Number", &logbook_cells::tail},
    {"Route", &logbook_cells::route},
    {"Landings", &logbook_cells::landings},
    {"FS Day Landings", &logbook_cells::full_stop_day},
    {"FS Night Landings", &logbook_cells::full_stop_night},
    {"X-Country", &logbook_cells::cross_country_h},
    {"Night", &logbook_cells::night_h},
    {"Total Flight Time", &logbook_cells::total_h},
    {"Engine Start", &logbook_cells::engine_start},
    {"Engine End", &logbook_cells::engine_end},
    {"Flight Start", &logbook_cells::flight_start},
    {"Flight End", &logbook_cells::flight_end},
    {"Hobbs Start", &logbook_cells::hobbs_start},
    {"Hobbs End", &logbook_cells::hobbs_end},
    {"Comments", &logbook_cells::comments},
};

constexpr std::string_view foreflight_aircraft_columns[] = {
    "AircraftID", "EquipmentType", "TypeCode", "Year", "Make", "Model", "Category", "Class", "GearType",
    "EngineType", "Complex", "HighPerformance", "Pressurized",
};

constexpr logbook_column foreflight_flight_columns[] = {
    {"Date", &logbook_cells::date},
    {"AircraftID", &logbook_cells::tail},
    {"From", &logbook_cells::from},
    {"To", &logbook_cells::to},
    {"Route", &logbook_cells::route},
    {"TimeOut", &logbook_cells::out},
    {"TimeOff", &logbook_cells::off},
    {"TimeOn", &logbook_cells::on},
    {"TimeIn", &logbook_cells::in},
    {"OnDuty", nullptr},
    {"OffDuty", nullptr},
    {"TotalTime", &logbook_cells::total_h},
    {"PIC", nullptr},
    {"SIC", nullptr},
    {"Night", &logbook_cells::night_h},
    {"Solo", nullptr},
    {"CrossCountry", &logbook_cells::cross_country_h},
    {"NVG", nullptr},
    {"NVGOps", nullptr},
    {"Distance", &logbook_cells::distance_nm},
    {"DayTakeoffs", &logbook_cells::day_takeoffs},
    {"DayLandingsFullStop", &logbook_cells::full_stop_day},
    {"NightTakeoffs", &logbook_cells::night_takeoffs},
    {"NightLandingsFullStop", &logbook_cells::full_stop_night},
    {"AllLandings", &logbook_cells::landings},
    {"ActualInstrument", nullptr},
    {"SimulatedInstrument", nullptr},
    {"HobbsStart", &logbook_cells::hobbs_start},
    {"HobbsEnd", &logbook_cells::hobbs_end},
    {"TachStart", nullptr},
    {"TachEnd", nullptr},
    {"Holds", nullptr},
    {"Approach1", nullptr},
    {"Approach2", nullptr},
    {"Approach3", nullptr},
    {"Approach4", nullptr},
    {"Approach5", nullptr},
    {"Approach6", nullptr},
    {"DualGiven", nullptr},
    {"DualReceived", nullptr},
    {"SimulatedFlight", nullptr},
    {"GroundTraining", nullptr},
    {"InstructorName", nullptr},
    {"InstructorComments", nullptr},
    {"Person1", nullptr},
    {"Person2", nullptr},
    {"Person3", nullptr},
    {"Person4", nullptr},
    {"Person5", nullptr},
    {"Person6", nullptr},
    {"FlightReview", nullptr},
    {"Checkride", nullptr},
    {"IPC", nullptr},
    {"NVGProficiency", nullptr},
    {"FAA6158", nullptr},
    {"PilotComments", &logbook_cells::comments},
};
// clang-format on

std::string number_text(double value, int decimals) {
  char text[fixed_format_max + 1];
  return std::string(text, format_fixed(text, value, decimals));
}

std::string hours_text(const std::optional<double>& seconds) {
  return seconds ? number_text(*seconds / 3600.0, 2) : std::string();
}

// The minute the clock showed: "yyyy-mm-dd hh:mm" (with_date) or "hh:mm"; empty without UTC.
std::string clock_text(const std::optional<log_event>& e, bool with_date) {
  if (!e || !e->when.has_utc) return {};
  const std::int64_t ms = e->when.utc_ms;
  const std::string text(iso8601_utc(ms >= 0 ? ms / 1000 : (ms - 999) / 1000).view());
  return with_date ? text.substr(0, 10) + " " + text.substr(11, 5) : text.substr(11, 5);
}

std::string ident_of(const runway_contact* c) { return c != nullptr && c->airport ? c->airport->ident : ""; }

// Day and night takeoffs: the first lift-off and the one after each touch-and-go, in the light
// of the same rule as the landings (a touch-and-go's takeoff in the light of its touchdown).
struct takeoff_count {
  std::uint32_t day = 0;
  std::uint32_t night = 0;
};

takeoff_count takeoffs_of(const logbook_row& row) {
  takeoff_count n;
  if (row.off && row.off->when.has_utc && row.off->has_position) {
    ++(is_night_landing_time(row.off->when.utc_ms, row.off->position) ? n.night : n.day);
  }
  n.day += row.touch_and_go.day;
  n.night += row.touch_and_go.night;
  return n;
}

logbook_cells cells_of(const logged_flight& f, const export_request& request) {
  const flight_record& flight = f.flight;
  const logbook_row& row = flight.logbook;
  logbook_cells c;
  c.date = logbook_date(row);
  c.tail = request.tail;
  for (const runway_contact* stop : route_stops(flight)) {
    if (!stop->airport) {
      if (stop->event.has_position) {
        c.comments += (c.comments.empty() ? "" : "; ");
        c.comments += "off airport at " + number_text(stop->event.position.latitude_deg, 5) + " " +
                      number_text(stop->event.position.longitude_deg, 5);
      }
      continue;
    }
    c.route += (c.route.empty() ? "" : " ") + stop->airport->ident;
  }
  c.from = ident_of(departure_contact(flight));
  c.to = ident_of(arrival_contact(flight));
  c.engine_start = clock_text(flight.engine_start, true);
  c.engine_end = clock_text(flight.engine_stop, true);
  c.flight_start = clock_text(row.off, true);
  c.flight_end = clock_text(row.on, true);
  c.out = clock_text(row.out, false);
  c.off = clock_text(row.off, false);
  c.on = clock_text(row.on, false);
  c.in = clock_text(row.in, false);
  c.total_h = hours_text(row.total_time_s);
  c.night_h = hours_text(row.night_time_s);
  // Known once a landing's distance from the departure is: all of the total, or none of it.
  if (row.farthest_landing_nm && row.total_time_s) c.cross_country_h = row.cross_country ? c.total_h : "0.00";
  if (flight.distance_nm) c.distance_nm = number_text(*flight.distance_nm, 1);
  c.landings = std::to_string(row.landing_total());
  c.full_stop_day = std::to_string(row.full_stop.day);
  c.full_stop_night = std::to_string(row.full_stop.night);
  const takeoff_count takeoffs = takeoffs_of(row);
  c.day_takeoffs = std::to_string(takeoffs.day);
  c.night_takeoffs = std::to_string(takeoffs.night);
  if (const first_last& hobbs = flight.figures.engine_hours; hobbs.has) {
    c.hobbs_start = number_text(hobbs.first, 1);
    c.hobbs_end = number_text(hobbs.last, 1);
  }
  return c;
}

template <typename Columns>
void write_header(output_writer& out, const Columns& columns) {
  bool first = true;
  for (const auto& column : columns) {
    if (!first) out.text(",");
    first = false;
    write_csv_field(out, column.name);
  }
  out.text("\r\n");
}

template <typename Columns>
void write_cells(output_writer& out, const Columns& columns, const logbook_cells& cells) {
  bool first = true;
  for (const auto& column : columns) {
    if (!first) out.text(",");
    first = false;
    if (column.cell != nullptr) write_csv_field(out, cells.*column.cell);
  }
  out.text("\r\n");
}

}  // namespace

void begin_logbook(output_writer& out, const export_request& request) {
  if (request.layout == logbook_layout::myflightbook) {
    write_header(out, myflightbook_columns);
    return;
  }
  out.text("ForeFlight Logbook Import\r\n\r\nAircraft Table\r\n");
  bool first = true;
  for (std::string_view name : foreflight_aircraft_columns) {
    if (!first) out.text(",");
    first = false;
    out.text(name);
  }
  out.text("\r\n");
  if (!request.tail.empty()) {
    write_csv_field(out, request.tail);
    out.text(std::string(std::size(foreflight_aircraft_columns) - 1, ','));
    out.text("\r\n");
  }
  out.text("\r\nFlights Table\r\n");
  write_header(out, foreflight_flight_columns);
}

void write_logbook_row(output_writer& out, const export_request& request, const logged_flight& flight) {
  const logbook_cells cells = cells_of(flight, request);
  if (request.layout == logbook_layout::myflightbook) {
    write_cells(out, myflightbook_columns, cells);
  } else {
    write_cells(out, foreflight_flight_columns, cells);
  }
}

void end_logbook(output_writer&, const export_request&) {}
