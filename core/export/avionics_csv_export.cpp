// The avionics datalog CSV: the layout large integrated avionics write on their SD cards, which
// engine-trend services, debrief tools and electronic logbooks import (GPSBabel reads it as
// garmin_g1000). Three header lines of equal cell counts, then one row per period:
//
//   #airframe_info, log_version="1.00", airframe_name="", ..., aircraft_ident="N123AB"
//   #yyy-mm-dd, hh:mm:ss, hh:mm, ident, degrees, degrees, ft Baro, inch, ft msl, deg C, ...
//     Lcl Date, Lcl Time, UTCOfst, AtvWpt, Latitude, Longitude, AltB, BaroA, AltMSL, OAT, ...
//   2026-03-11, 22:22:46, +00:00, , 47.3908348, -122.2056656, 1230, 29.92, 1250, 14, ...
//
// Readers take the columns by position, so the order is fixed and a column the LOG does not
// hold stays, empty. The date and time are UTC with the offset +00:00 (readers take Lcl Date and
// Lcl Time as the time of the row); asked for local time, they are the zone's given, else each
// flight's departure airport's (rows before the first flight in the first one's), with its offset. Rows start with the first GPS 1 position: readers take an
// empty position as 0, 0. A row whose latest GPS 1 fix gives no position (not valid, NMEA status
// V, or coordinates that name no place) is left out for the same reason.
//
// Where the values come from: AltB the AHRS pressure altitude; BaroA, AltMSL (the engine
// monitor's altitude), OAT and the engine columns the EIS; AltGPS the GPS 1 altitude item;
// IAS, VSpd, Pitch, Roll, NormAc and HDG the AHRS; GndSpd and TRK GPS 1; volt1 the EIS bus
// voltage; FQtyL the EIS fuel quantity (the whole of it: the LOG holds one quantity); HCDI and
// VCDI the analog localiser and glideslope deviations in full-scale deflections, while valid;
// E1 MAP the aux input the aircraft profile says carries the manifold pressure, scaled.
// The CHT and EGT of a cylinder that is not fitted stay empty: a trend service would read its
// probe's 0 as a dead cylinder.
#include <array>
#include <cmath>
#include <optional>

#include "decoders/gps/position_rules.h"
#include "export/export_columns.h"
#include "export/export_run.h"
#include "orvexdecode_version.h"
#include "text/local_time_text.h"
#include "text/utc_text.h"
#include "text/utf8_text.h"

namespace {

using row = sampled_row;
using writer = output_writer;

#define CELL(body) [](writer& out, const row& r) { body; }
#define NONE nullptr

constexpr column_unit F = column_unit::fixed;

void put_cht(writer& out, const row& r, std::uint16_t v) {
  out.line(OUT_FORMAT("{}"), static_cast<long long>(std::llround(r.units->cht(v))));
}
void put_temperature(writer& out, const row& r, double v) {
  out.line(OUT_FORMAT("{}"), static_cast<long long>(std::llround(r.units->temperature(v))));
}
void put_position(writer& out, float degrees) { out.line(OUT_FORMAT("{}"), fixed(static_cast<double>(degrees), 7)); }
// A deviation in thousandths of the scale as full-scale deflections.
void put_deviation(writer& out, double thousandths, analog_flag flag) {
  if (flag == analog_flag::valid) out.line(OUT_FORMAT("{}"), fixed(thousandths / 1000.0, 3));
}

const std::array columns = {
    export_column{"Lcl Date", "yyy-mm-dd", F, NONE},  // written by the row itself
    export_column{"Lcl Time", "hh:mm:ss", F, NONE},
    export_column{"UTCOfst", "hh:mm", F, NONE},
    export_column{"AtvWpt", "ident", F, NONE},
    export_column{"Latitude", "degrees", F, CELL(put_position(out, r.gps_1->latitude_deg))},
    export_column{"Longitude", "degrees", F, CELL(put_position(out, r.gps_1->longitude_deg))},
    export_column{"AltB", "ft Baro", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), r.ahrs->pressure_alt_ft))},
    export_column{"BaroA", "inch", F, CELL(if (r.eis) out.line(OUT_FORMAT("{}"), decimals(r.eis->baroset, 2)))},
    export_column{"AltMSL", "ft msl", F, CELL(if (r.eis) out.line(OUT_FORMAT("{}"), r.eis->altitude.whole()))},
    export_column{"OAT", "deg C", F, CELL(if (r.eis) out.line(OUT_FORMAT("{}"), r.eis->outside_temp.whole()))},
    export_column{"IAS", "kt", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), fixed(r.ahrs->ias_kt(), 2)))},
    export_column{"GndSpd", "kt", F,
                  CELL(if (r.gps_1->has_ground_speed) row_values::write_gps_number(out, r.gps_1->ground_speed_kt))},
    export_column{"VSpd", "fpm", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), r.ahrs->vsi_fpm))},
    export_column{"Pitch", "deg", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), decimals(r.ahrs->pitch, 2)))},
    export_column{"Roll", "deg", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), decimals(r.ahrs->roll, 2)))},
    export_column{"LatAc", "G", F, NONE},
    export_column{"NormAc", "G", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), fixed(r.ahrs->acceleration_g(), 2)))},
    export_column{"HDG", "deg", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), decimals(r.ahrs->heading(), 2)))},
    export_column{"TRK", "deg", F, CELL(if (r.gps_1->has_track) row_values::write_gps_number(out, r.gps_1->track_deg))},
    export_column{"volt1", "volts", F, CELL(if (r.eis) out.line(OUT_FORMAT("{}"), decimals(r.eis->volts, 1)))},
    export_column{"volt2", "volts", F, NONE},
    export_column{"amp1", "amps", F, NONE},
    export_column{"amp2", "amps", F, NONE},
    export_column{"FQtyL", "", column_unit::fuel,
                  CELL(if (r.eis) out.line(OUT_FORMAT("{}"), fixed(r.units->fluid(r.eis->fuel_qty.value()), 1)))},
    export_column{"FQtyR", "", column_unit::fuel, NONE},
    export_column{"E1 FFlow", "", column_unit::fuel_flow,
                  CELL(if (r.eis) out.line(OUT_FORMAT("{}"), fixed(r.units->fluid(r.eis->fuel_flow.value()), 1)))},
    export_column{"E1 OilT", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->oil_temp))},
    export_column{"E1 OilP", "psi", F, CELL(if (r.eis) out.line(OUT_FORMAT("{}"), int{r.eis->oil_pressure_psi}))},
    export_column{"E1 MAP", "Hg", F, NONE},
    export_column{"E1 RPM", "rpm", F, CELL(if (r.eis) out.line(OUT_FORMAT("{}"), r.eis->rpm))},
    export_column{"E1 CHT1", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[0])), 1},
    export_column{"E1 CHT2", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[1])), 2},
    export_column{"E1 CHT3", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[2])), 3},
    export_column{"E1 CHT4", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[3])), 4},
    export_column{"E1 CHT5", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[4])), 5},
    export_column{"E1 CHT6", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[5])), 6},
    export_column{"E1 EGT1", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[0])), 1},
    export_column{"E1 EGT2", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[1])), 2},
    export_column{"E1 EGT3", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[2])), 3},
    export_column{"E1 EGT4", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[3])), 4},
    export_column{"E1 EGT5", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[4])), 5},
    export_column{"E1 EGT6", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[5])), 6},
    export_column{"AltGPS", "ft msl", F,
                  CELL(if (r.gps_1->has_altitude)
                           out.line(OUT_FORMAT("{}"), static_cast<long long>(std::llround(r.gps_1->altitude_ft))))},
    export_column{"TAS", "kt", F, NONE},
    export_column{"HSIS", "enum", F, NONE},
    export_column{"CRS", "deg", F, NONE},
    export_column{"NAV1", "MHz", F, NONE},
    export_column{"NAV2", "MHz", F, NONE},
    export_column{"COM1", "MHz", F, NONE},
    export_column{"COM2", "MHz", F, NONE},
    export_column{"HCDI", "fsd", F,
                  CELL(if (r.analog) put_deviation(out, r.analog->localiser_deviation, r.analog->localiser_flag))},
    export_column{"VCDI", "fsd", F,
                  CELL(if (r.analog) put_deviation(out, r.analog->glide_deviation, r.analog->glide_flag))},
    export_column{"WndSpd", "kt", F, NONE},
    export_column{"WndDr", "deg", F, NONE},
};

#undef CELL
#undef NONE

std::string_view unit_text(const export_column& c, const engine_units& units) {
  switch (c.kind) {
    case column_unit::fixed: return c.unit;
    case column_unit::cht: return units.cht == temperature_unit::celsius ? "deg C" : "deg F";
    case column_unit::temperature: return units.other_temperatures == temperature_unit::celsius ? "deg C" : "deg F";
    case column_unit::fuel: return units.fuel == fluid_unit::litres ? "lit" : "gals";
    case column_unit::fuel_flow: return units.fuel == fluid_unit::litres ? "lph" : "gph";
  }
  return "";
}

// A header value in double quotes; a quote, a comma or a control character (a line break
// above all) in the user's text would end it or the cell, so those become blanks, and a byte
// that is not UTF-8 becomes U+FFFD, as in the XML documents.
void write_quoted_value(writer& out, std::string_view key, std::string_view value) {
  out.text(", ");
  out.text(key);
  out.text("=\"");
  while (!value.empty()) {
    const std::size_t n = utf8_character_length(value);
    const auto c = static_cast<unsigned char>(value[0]);
    if (n == 0) {
      out.text("\xEF\xBF\xBD");
    } else if (c == '"' || c == ',' || c < 0x20 || c == 0x7F) {
      out.text(" ");
    } else {
      out.text(value.substr(0, n));
    }
    value.remove_prefix(n != 0 ? n : 1);
  }
  out.text("\"");
}

void write_header(writer& out, const engine_units& units, const std::string& tail) {
  // Nine cells: the first line names the log; padded with empty cells to the column count.
  out.text("#airframe_info, log_version=\"1.00\"");
  write_quoted_value(out, "airframe_name", "");
  write_quoted_value(out, "unit_software_part_number", "");
  write_quoted_value(out, "unit_software_version", ORVEXDECODE_VERSION);
  write_quoted_value(out, "system_software_part_number", "");
  write_quoted_value(out, "system_id", tail);
  out.text(", mode=NORMAL");
  write_quoted_value(out, "aircraft_ident", tail);
  constexpr std::size_t first_line_cells = 9;
  for (std::size_t i = first_line_cells; i < columns.size(); ++i) out.text(",");
  out.text("\r\n#");
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i != 0) out.text(", ");
    out.text(unit_text(columns[i], units));
  }
  out.text("\r\n");
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i != 0) out.text(", ");
    out.text(columns[i].name);
  }
  out.text("\r\n");
}

const std::size_t map_column = [] {
  std::size_t i = 0;
  while (columns[i].name != "E1 MAP") ++i;
  return i;
}();

// The row's date, time and offset: UTC, or the zone's local time.
void write_time(writer& out, const row& r, const time_zone* zone) {
  if (!r.has_utc) {
    out.text(", , ");
  } else if (zone == nullptr) {
    const utc_fields f = utc_fields_of(whole_seconds_of(r.utc_ms));
    out.line(OUT_FORMAT("{}-{:02}-{:02}, {:02}:{:02}:{:02}, +00:00"), f.year, f.month, f.day, f.hour, f.minute,
             f.second);
  } else {
    const std::int64_t s = whole_seconds_of(r.utc_ms);
    const utc_text local = iso8601_local(s, zone->offset_at(s).utc_offset_s);  // YYYY-MM-DDThh:mm:ss+hh:mm
    const std::string_view t = local.view();
    out.text(t.substr(0, 10));
    out.text(", ");
    out.text(t.substr(11, 8));
    out.text(", ");
    out.text(t.substr(19));
  }
}

// A row; map: the aux input carrying the manifold pressure, if the profile maps one.
void write_row(writer& out, const row& r, const time_zone* zone, std::size_t cylinders,
               const std::optional<aux_reading>& map) {
  write_time(out, r, zone);
  for (std::size_t i = 3; i < columns.size(); ++i) {
    out.text(", ");
    if (columns[i].write != nullptr && columns[i].holds_data(cylinders)) columns[i].write(out, r);
    if (i == map_column && map && r.eis) out.line(OUT_FORMAT("{}"), fixed(r.eis->aux[map->input] * map->scale, 2));
  }
  out.text("\r\n");
}

}  // namespace

void write_avionics_csv(export_pass& pass) {
  output_writer& out = pass.out;
  export_result& result = pass.result;
  const export_request& request = pass.request;
  const auto& departures = pass.plan.departure_zones;  // the departure airports' zones, in LOG order
  const time_zone* zone = request.local_time && request.local_time_zone ? &*request.local_time_zone : nullptr;
  if (request.local_time && zone == nullptr && departures.empty()) {
    result.warnings.push_back(
        "no local time: no departure airport known and no --time-zone; Lcl Date and Lcl Time stay UTC (+00:00)");
  }
  const bool by_departure = request.local_time && zone == nullptr && !departures.empty();
  std::size_t next = 0;  // the first departure whose flight has not begun
  const std::size_t cylinders = pass.plan.cylinders;
  write_header(out, pass.plan.units, request.tail);
  for_each_row(pass, [&](const sampled_row& r) {
    if (r.gps_1 == nullptr || !has_position(*r.gps_1)) return;
    // A row takes the zone of the last flight begun by then (the first flight's before it).
    if (by_departure) {
      while (next < departures.size() && departures[next].first <= log_order(r.segment, r.log_ms)) ++next;
      zone = departures[next == 0 ? 0 : next - 1].second;
    }
    write_row(out, r, zone, cylinders, request.manifold_pressure);
    ++result.items;
  });
}
