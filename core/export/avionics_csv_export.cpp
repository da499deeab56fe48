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
#include <utility>
#include <vector>

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

#define CELL(body) [](char* at, const row& r, [[maybe_unused]] kept_cell& kept) -> char* { body; return at; }
#define NONE nullptr

constexpr column_unit F = column_unit::fixed;

char* put_cht(char* at, const row& r, std::uint16_t v) {
  return put_cell(at, static_cast<long long>(std::llround(r.units->cht(v))));
}
char* put_temperature(char* at, const row& r, double v) {
  return put_cell(at, static_cast<long long>(std::llround(r.units->temperature(v))));
}
char* put_position(char* at, kept_cell& kept, float degrees) {
  return put_kept(at, kept, fixed(static_cast<double>(degrees), 7));
}
// A deviation in thousandths of the scale as full-scale deflections.
char* put_deviation(char* at, kept_cell& kept, double thousandths, analog_flag flag) {
  return flag == analog_flag::valid ? put_kept(at, kept, fixed(thousandths / 1000.0, 3)) : at;
}

constexpr std::array columns = {
    export_column{"Lcl Date", "yyy-mm-dd", F, NONE},  // written by the row itself
    export_column{"Lcl Time", "hh:mm:ss", F, NONE},
    export_column{"UTCOfst", "hh:mm", F, NONE},
    export_column{"AtvWpt", "ident", F, NONE},
    export_column{"Latitude", "degrees", F, CELL(at = put_position(at, kept, r.gps_1->latitude_deg))},
    export_column{"Longitude", "degrees", F, CELL(at = put_position(at, kept, r.gps_1->longitude_deg))},
    export_column{"AltB", "ft Baro", F, CELL(if (r.ahrs) at = put_cell(at, r.ahrs->pressure_alt_ft))},
    export_column{"BaroA", "inch", F, CELL(if (r.eis) at = put_cell(at, decimals(r.eis->baroset, 2)))},
    export_column{"AltMSL", "ft msl", F, CELL(if (r.eis) at = put_cell(at, r.eis->altitude.whole()))},
    export_column{"OAT", "deg C", F, CELL(if (r.eis) at = put_cell(at, r.eis->outside_temp.whole()))},
    export_column{"IAS", "kt", F, CELL(if (r.ahrs) at = put_kept(at, kept, fixed(r.ahrs->ias_kt(), 2)))},
    export_column{"GndSpd", "kt", F,
                  CELL(if (r.gps_1->has_ground_speed) at = row_values::write_gps_number(at, kept, r.gps_1->ground_speed_kt))},
    export_column{"VSpd", "fpm", F, CELL(if (r.ahrs) at = put_cell(at, r.ahrs->vsi_fpm))},
    export_column{"Pitch", "deg", F, CELL(if (r.ahrs) at = put_cell(at, decimals(r.ahrs->pitch, 2)))},
    export_column{"Roll", "deg", F, CELL(if (r.ahrs) at = put_cell(at, decimals(r.ahrs->roll, 2)))},
    export_column{"LatAc", "G", F, NONE},
    export_column{"NormAc", "G", F, CELL(if (r.ahrs) at = put_kept(at, kept, fixed(r.ahrs->acceleration_g(), 2)))},
    export_column{"HDG", "deg", F, CELL(if (r.ahrs) at = put_cell(at, decimals(r.ahrs->heading(), 2)))},
    export_column{"TRK", "deg", F, CELL(if (r.gps_1->has_track) at = row_values::write_gps_number(at, kept, r.gps_1->track_deg))},
    export_column{"volt1", "volts", F, CELL(if (r.eis) at = put_cell(at, decimals(r.eis->volts, 1)))},
    export_column{"volt2", "volts", F, NONE},
    export_column{"amp1", "amps", F, NONE},
    export_column{"amp2", "amps", F, NONE},
    export_column{"FQtyL", "", column_unit::fuel,
                  CELL(if (r.eis) at = put_kept(at, kept, fixed(r.units->fluid(r.eis->fuel_qty.value()), 1)))},
    export_column{"FQtyR", "", column_unit::fuel, NONE},
    export_column{"E1 FFlow", "", column_unit::fuel_flow,
                  CELL(if (r.eis) at = put_kept(at, kept, fixed(r.units->fluid(r.eis->fuel_flow.value()), 1)))},
    export_column{"E1 OilT", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->oil_temp))},
    export_column{"E1 OilP", "psi", F, CELL(if (r.eis) at = put_cell(at, int{r.eis->oil_pressure_psi}))},
    export_column{"E1 MAP", "Hg", F, NONE},
    export_column{"E1 RPM", "rpm", F, CELL(if (r.eis) at = put_cell(at, r.eis->rpm))},
    export_column{"E1 CHT1", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[0])), 1},
    export_column{"E1 CHT2", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[1])), 2},
    export_column{"E1 CHT3", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[2])), 3},
    export_column{"E1 CHT4", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[3])), 4},
    export_column{"E1 CHT5", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[4])), 5},
    export_column{"E1 CHT6", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[5])), 6},
    export_column{"E1 EGT1", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[0])), 1},
    export_column{"E1 EGT2", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[1])), 2},
    export_column{"E1 EGT3", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[2])), 3},
    export_column{"E1 EGT4", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[3])), 4},
    export_column{"E1 EGT5", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[4])), 5},
    export_column{"E1 EGT6", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[5])), 6},
    export_column{"AltGPS", "ft msl", F,
                  CELL(if (r.gps_1->has_altitude)
                           at = put_cell(at, static_cast<long long>(std::llround(r.gps_1->altitude_ft))))},
    export_column{"TAS", "kt", F, NONE},
    export_column{"HSIS", "enum", F, NONE},
    export_column{"CRS", "deg", F, NONE},
    export_column{"NAV1", "MHz", F, NONE},
    export_column{"NAV2", "MHz", F, NONE},
    export_column{"COM1", "MHz", F, NONE},
    export_column{"COM2", "MHz", F, NONE},
    export_column{"HCDI", "fsd", F,
                  CELL(if (r.analog) at = put_deviation(at, kept, r.analog->localiser_deviation, r.analog->localiser_flag))},
    export_column{"VCDI", "fsd", F,
                  CELL(if (r.analog) at = put_deviation(at, kept, r.analog->glide_deviation, r.analog->glide_flag))},
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

constexpr std::size_t map_column = [] {
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

// Cell I of a row with its separator; the table is a constant, so the cell's writer is inlined.
template <std::size_t I>
char* write_cell(char* at, const row& r, std::size_t cylinders, const std::optional<aux_reading>& map,
                 kept_cell* kept) {
  constexpr export_column column = columns[I];
  *at++ = ',';
  *at++ = ' ';
  if constexpr (column.write != nullptr) {
    if (column.holds_data(cylinders)) at = column.write(at, r, kept[I]);
  }
  if constexpr (I == map_column) {
    if (map && r.eis) at = put_kept(at, kept[I], fixed(r.eis->aux[map->input] * map->scale, 2));
  }
  return at;
}

template <std::size_t... I>
char* write_cells(char* at, const row& r, std::size_t cylinders, const std::optional<aux_reading>& map,
                  kept_cell* kept, std::index_sequence<I...>) {
  ((at = write_cell<I + 3>(at, r, cylinders, map, kept)), ...);
  return at;
}

// The room a row's cells need, with their separators and the line end.
constexpr std::size_t row_room = columns.size() * (cell_text_max + 2) + 2;

// A row (the time through the writer, the cells through `text`, room for row_room); map: the
// aux input carrying the manifold pressure, if the profile maps one; kept: a kept_cell per column.
void write_row(writer& out, char* text, const row& r, const time_zone* zone, std::size_t cylinders,
               const std::optional<aux_reading>& map, kept_cell* kept) {
  write_time(out, r, zone);
  char* end = write_cells(text, r, cylinders, map, kept, std::make_index_sequence<columns.size() - 3>{});
  *end++ = '\r';
  *end++ = '\n';
  out.text(std::string_view(text, static_cast<std::size_t>(end - text)));
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
  std::vector<char> text(row_room);  // one row's cells
  std::vector<kept_cell> kept(columns.size());
  for_each_row(pass, [&](const sampled_row& r) {
    if (r.gps_1 == nullptr || !has_position(*r.gps_1)) return;
    // A row takes the zone of the last flight begun by then (the first flight's before it).
    if (by_departure) {
      while (next < departures.size() && departures[next].first <= log_order(r.segment, r.log_ms)) ++next;
      zone = departures[next == 0 ? 0 : next - 1].second;
    }
    write_row(out, text.data(), r, zone, cylinders, request.manifold_pressure, kept.data());
    ++result.items;
  });
}
