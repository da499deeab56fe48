#include "export/export_columns.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

#include "decoders/gps/position_rules.h"
#include "text/decimal_digits.h"
#include "text/utc_text.h"

namespace {

using row = sampled_row;
using writer = output_writer;

// The nearest whole number (halves away from zero).
long long whole_of(double v) { return static_cast<long long>(v < 0.0 ? v - 0.5 : v + 0.5); }
char* put_whole(char* at, double v) { return put_cell(at, whole_of(v)); }

const char* flag_text(analog_flag f) {
  switch (f) {
    case analog_flag::valid: return "valid";
    case analog_flag::bad_data: return "bad_data";
    case analog_flag::invalid: return "invalid";
  }
  return "";
}

// Engine temperatures and fuel in the reporting units; the LOG stores whole degrees and tenths.
// Whole degrees as logged while the unit is the reporting unit.
[[gnu::always_inline]] inline char* put_cht(char* at, const row& r, std::uint16_t v) {
  if (r.units->current().cht == r.units->report().cht) return put_cell(at, v);
  return put_whole(at, r.units->cht(v));
}
template <typename T>
[[gnu::always_inline]] inline char* put_temperature(char* at, const row& r, T v) {
  if (r.units->current().other_temperatures == r.units->report().other_temperatures) return put_cell(at, v);
  return put_whole(at, r.units->temperature(v));
}
char* put_fluid(char* at, kept_cell& kept, const row& r, double v) {
  return put_kept(at, kept, fixed(r.units->fluid(v), 1));
}

// Coordinates that name no place leave both cells empty; the fix's other cells stay.
bool in_range(const gps_fix& fix) { return in_position_range(fix.latitude_deg, fix.longitude_deg); }
char* put_position(char* at, kept_cell& kept, float degrees) {
  return put_kept(at, kept, fixed(static_cast<double>(degrees), 6));
}

#define CELL(body) [](char* at, const row& r, [[maybe_unused]] kept_cell& kept) -> char* { body; return at; }

constexpr column_unit F = column_unit::fixed;

constexpr std::array columns = {
    export_column{"time_utc", "", F, CELL(if (r.has_utc) at = put_kept_utc(at, kept, r.utc_ms))},
    export_column{"log_time_s", "s", F, CELL(at = format_scaled_to<3>(at, r.log_ms, '\0', 0))},
    // GPS 1
    export_column{"latitude_deg", "deg", F, CELL(if (r.gps_1 && in_range(*r.gps_1)) at = put_position(at, kept, r.gps_1->latitude_deg))},
    export_column{"longitude_deg", "deg", F, CELL(if (r.gps_1 && in_range(*r.gps_1)) at = put_position(at, kept, r.gps_1->longitude_deg))},
    export_column{"gps_altitude_ft", "ft", F,
                  CELL(if (r.gps_1 && r.gps_1->has_altitude) at = put_whole(at, r.gps_1->altitude_ft))},
    export_column{
        "ground_speed_kt", "kt", F,
        CELL(if (r.gps_1 && r.gps_1->has_ground_speed) at = row_values::write_gps_number(at, kept, r.gps_1->ground_speed_kt))},
    export_column{"track_deg", "deg", F,
                  CELL(if (r.gps_1 && r.gps_1->has_track) at = row_values::write_gps_number(at, kept, r.gps_1->track_deg))},
    export_column{"gps_valid", "", F, CELL(if (r.gps_1) at = put_cell(at, r.gps_1->receiver_valid ? 1 : 0))},
    // AHRS air data and attitude
    export_column{"pressure_altitude_ft", "ft", F, CELL(if (r.ahrs) at = put_cell(at, r.ahrs->pressure_alt_ft))},
    export_column{"ias_kt", "kt", F, CELL(if (r.ahrs) at = put_kept(at, kept, fixed(r.ahrs->ias_kt(), 2)))},
    export_column{"vertical_speed_fpm", "fpm", F, CELL(if (r.ahrs) at = put_cell(at, r.ahrs->vsi_fpm))},
    export_column{"pitch_deg", "deg", F, CELL(if (r.ahrs) at = put_cell(at, decimals(r.ahrs->pitch, 2)))},
    export_column{"roll_deg", "deg", F, CELL(if (r.ahrs) at = put_cell(at, decimals(r.ahrs->roll, 2)))},
    export_column{"heading_deg", "deg", F,
                  CELL(if (r.ahrs) at = put_cell(at, decimals(r.ahrs->heading(), 2)))},
    export_column{"normal_acceleration_g", "G", F,
                  CELL(if (r.ahrs) at = put_kept(at, kept, fixed(r.ahrs->acceleration_g(), 2)))},
    // EIS
    export_column{"rpm", "rpm", F, CELL(if (r.eis) at = put_cell(at, r.eis->rpm))},
    export_column{"rpm_2", "rpm", F, CELL(if (r.eis) at = put_cell(at, r.eis->rpm_2))},
    export_column{"cht1", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[0])), 1},
    export_column{"cht2", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[1])), 2},
    export_column{"cht3", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[2])), 3},
    export_column{"cht4", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[3])), 4},
    export_column{"cht5", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[4])), 5},
    export_column{"cht6", "", column_unit::cht, CELL(if (r.eis) at = put_cht(at, r, r.eis->cht[5])), 6},
    export_column{"egt1", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[0])), 1},
    export_column{"egt2", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[1])), 2},
    export_column{"egt3", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[2])), 3},
    export_column{"egt4", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[3])), 4},
    export_column{"egt5", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[4])), 5},
    export_column{"egt6", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->egt[5])), 6},
    export_column{"oil_temp", "", column_unit::temperature, CELL(if (r.eis) at = put_temperature(at, r, r.eis->oil_temp))},
    export_column{"oil_pressure_psi", "psi", F, CELL(if (r.eis) at = put_cell(at, int{r.eis->oil_pressure_psi}))},
    export_column{"coolant_temp", "", column_unit::temperature,
                  CELL(if (r.eis) at = put_temperature(at, r, r.eis->coolant_temp))},
    export_column{"carb_temp", "", column_unit::temperature,
                  CELL(if (r.eis) at = put_temperature(at, r, r.eis->carb_temp))},
    export_column{"fuel_flow", "", column_unit::fuel_flow,
                  CELL(if (r.eis) at = put_fluid(at, kept, r, r.eis->fuel_flow.value()))},
    export_column{"fuel_qty", "", column_unit::fuel, CELL(if (r.eis) at = put_fluid(at, kept, r, r.eis->fuel_qty.value()))},
    export_column{"volts", "V", F, CELL(if (r.eis) at = put_kept(at, kept, decimals(r.eis->volts, 1)))},
    export_column{"oat_c", "C", F, CELL(if (r.eis) at = put_cell(at, r.eis->outside_temp.whole()))},
    export_column{"baro_inhg", "inHg", F, CELL(if (r.eis) at = put_kept(at, kept, decimals(r.eis->baroset, 2)))},
    export_column{"eis_altitude_ft", "ft", F, CELL(if (r.eis) at = put_cell(at, r.eis->altitude.whole()))},
    export_column{"eis_vertical_speed_fpm", "fpm", F, CELL(if (r.eis) at = put_cell(at, r.eis->vertical_speed.whole()))},
    export_column{"eis_airspeed", "", F, CELL(if (r.eis) at = put_cell(at, r.eis->airspeed))},
    export_column{"eis_unit_temp", "", F, CELL(if (r.eis) at = put_cell(at, int{r.eis->unit_temp}))},
    export_column{"engine_time_h", "h", F,
                  CELL(if (r.eis) at = put_kept(at, kept, decimals(r.eis->elapsed_time, 1)))},
    export_column{"flight_timer_s", "s", F,
                  CELL(if (r.eis) at = put_cell(at, r.eis->flight_timer[0] * 3600 + r.eis->flight_timer[1] * 60 + r.eis->flight_timer[2]))},
    export_column{"fuel_endurance_min", "min", F,
                  CELL(if (r.eis) at = put_cell(at, r.eis->fuel_endurance[0] * 60 + r.eis->fuel_endurance[1]))},
    export_column{"aux1", "", F, CELL(if (r.eis) at = put_cell(at, r.eis->aux[0]))},
    export_column{"aux2", "", F, CELL(if (r.eis) at = put_cell(at, r.eis->aux[1]))},
    export_column{"aux3", "", F, CELL(if (r.eis) at = put_cell(at, r.eis->aux[2]))},
    export_column{"aux4", "", F, CELL(if (r.eis) at = put_cell(at, r.eis->aux[3]))},
    export_column{"aux5", "", F, CELL(if (r.eis) at = put_cell(at, r.eis->aux[4]))},
    export_column{"aux6", "", F, CELL(if (r.eis) at = put_cell(at, r.eis->aux[5]))},
    // AHRS low rate
    export_column{"ahrs_oat_c", "C", F, CELL(if (r.ahrs_lr) at = put_cell(at, int{r.ahrs_lr->outside_temp_c}))},
    export_column{"ahrs_volts1", "V", F,
                  CELL(if (r.ahrs_lr) at = put_kept(at, kept, decimals(r.ahrs_lr->voltage[0], 2)))},
    export_column{"ahrs_volts2", "V", F,
                  CELL(if (r.ahrs_lr) at = put_kept(at, kept, decimals(r.ahrs_lr->voltage[1], 2)))},
    export_column{"ahrs_volts3", "V", F,
                  CELL(if (r.ahrs_lr) at = put_kept(at, kept, decimals(r.ahrs_lr->voltage[2], 2)))},
    // Analog inputs
    export_column{"analog_volts1", "V", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->voltage[0], 2)))},
    export_column{"analog_volts2", "V", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->voltage[1], 2)))},
    export_column{"analog_volts3", "V", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->voltage[2], 2)))},
    export_column{"localiser_dev", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->localiser_deviation, 2)))},
    export_column{"localiser_flag", "", F, CELL(if (r.analog) at = put_cell(at, flag_text(r.analog->localiser_flag)))},
    export_column{"glideslope_dev", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->glide_deviation, 2)))},
    export_column{"glideslope_flag", "", F, CELL(if (r.analog) at = put_cell(at, flag_text(r.analog->glide_flag)))},
    export_column{"analog_internal_temp", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->internal_temp, 2)))},
    export_column{"analog_input1", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->general[0], 2)))},
    export_column{"analog_input2", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->general[1], 2)))},
    export_column{"analog_input3", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->general[2], 2)))},
    export_column{"analog_input4", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->general[3], 2)))},
    export_column{"analog_input5", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->general[4], 2)))},
    export_column{"analog_input6", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->general[5], 2)))},
    export_column{"analog_input7", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->general[6], 2)))},
    export_column{"analog_input8", "", F,
                  CELL(if (r.analog) at = put_kept(at, kept, fixed(r.analog->general[7], 2)))},
    // GPS 2
    export_column{"gps2_latitude_deg", "deg", F, CELL(if (r.gps_2 && in_range(*r.gps_2)) at = put_position(at, kept, r.gps_2->latitude_deg))},
    export_column{"gps2_longitude_deg", "deg", F, CELL(if (r.gps_2 && in_range(*r.gps_2)) at = put_position(at, kept, r.gps_2->longitude_deg))},
    export_column{"gps2_altitude_ft", "ft", F,
                  CELL(if (r.gps_2 && r.gps_2->has_altitude) at = put_whole(at, r.gps_2->altitude_ft))},
    export_column{
        "gps2_ground_speed_kt", "kt", F,
        CELL(if (r.gps_2 && r.gps_2->has_ground_speed) at = row_values::write_gps_number(at, kept, r.gps_2->ground_speed_kt))},
    export_column{"gps2_track_deg", "deg", F,
                  CELL(if (r.gps_2 && r.gps_2->has_track) at = row_values::write_gps_number(at, kept, r.gps_2->track_deg))},
    export_column{"gps2_valid", "", F, CELL(if (r.gps_2) at = put_cell(at, r.gps_2->receiver_valid ? 1 : 0))},
};

#undef CELL

// Cell I of a row after its comma; the table is a constant, so the cell's writer is inlined.
template <std::size_t I>
char* write_cell(char* at, const row& r, std::size_t cylinders, kept_cell* kept) {
  constexpr export_column column = columns[I];
  if constexpr (I != 0) *at++ = ',';
  return column.holds_data(cylinders) ? column.write(at, r, kept[I]) : at;
}

template <std::size_t... I>
char* write_cells(char* at, const row& r, std::size_t cylinders, kept_cell* kept, std::index_sequence<I...>) {
  ((at = write_cell<I>(at, r, cylinders, kept)), ...);
  return at;
}

}  // namespace

std::span<const export_column> csv_columns() { return columns; }

std::size_t csv_row_room() { return columns.size() * (cell_text_max + 1) + 2; }

char* write_csv_cells(char* at, const sampled_row& row, std::size_t cylinders, kept_cell* kept) {
  return write_cells(at, row, cylinders, kept, std::make_index_sequence<columns.size()>{});
}

std::string_view csv_unit_suffix(column_unit kind, const engine_units& units) {
  switch (kind) {
    case column_unit::fixed: return "";
    case column_unit::cht: return units.cht == temperature_unit::celsius ? "_c" : "_f";
    case column_unit::temperature: return units.other_temperatures == temperature_unit::celsius ? "_c" : "_f";
    case column_unit::fuel: return units.fuel == fluid_unit::litres ? "_l" : "_gal";
    case column_unit::fuel_flow: return units.fuel == fluid_unit::litres ? "_lph" : "_gph";
  }
  return "";
}

char* put_kept_utc(char* at, kept_cell& kept, std::int64_t utc_ms) {
  // The years the text holds; outside them it clamps, and the whole text is written.
  constexpr std::int64_t earliest = -62167219200000;
  constexpr std::int64_t latest = 253402300799999;
  if (utc_ms < earliest || utc_ms > latest) return put_cell(at, iso8601_utc_ms(utc_ms).view());
  constexpr std::int64_t ms_per_day = 86400000;
  const std::int64_t day = (utc_ms >= 0 ? utc_ms : utc_ms - (ms_per_day - 1)) / ms_per_day;
  constexpr std::size_t date_length = 11;  // "YYYY-MM-DDT"
  if (kept.length == 0 || kept.value_bits != static_cast<std::uint64_t>(day)) {
    const utc_text midnight = iso8601_utc_ms(day * ms_per_day);
    std::memcpy(kept.text, midnight.text, date_length);
    kept.length = date_length;
    kept.value_bits = static_cast<std::uint64_t>(day);
  }
  std::memcpy(at, kept.text, date_length);
  at += date_length;
  const auto ms_of_day = static_cast<std::uint32_t>(utc_ms - day * ms_per_day);
  const std::uint32_t second_of_day = ms_of_day / 1000;
  const std::uint32_t ms = ms_of_day % 1000;
  decimal_digits::write_pair(at, second_of_day / 3600);
  at[2] = ':';
  decimal_digits::write_pair(at + 3, second_of_day / 60 % 60);
  at[5] = ':';
  decimal_digits::write_pair(at + 6, second_of_day % 60);
  at += 8;
  if (ms != 0) {
    *at++ = '.';
    *at++ = static_cast<char>('0' + ms / 100);
    decimal_digits::write_pair(at, ms % 100);
    at += 2;
  }
  *at++ = 'Z';
  return at;
}

namespace row_values {

char* write_gps_number(char* at, double value) {
  if (!(std::abs(value) < 1e9)) return put_cell(at, fixed(value, 2));
  const long long hundredths = whole_of(value * 100.0);
  if (hundredths % 100 == 0) return put_cell(at, hundredths / 100);
  if (hundredths % 10 == 0) return put_cell(at, fixed_ratio(hundredths / 10, 10, 1));
  return put_cell(at, fixed(value, 2));
}

void write_gps_number(output_writer& out, double value) {
  char text[cell_text_max];
  out.text(std::string_view(text, static_cast<std::size_t>(write_gps_number(text, value) - text)));
}

}  // namespace row_values

void write_csv_field(output_writer& out, std::string_view text) {
  const bool quoted = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                      (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quoted) {
    out.text(text);
    return;
  }
  out.text("\"");
  for (std::size_t start = 0;;) {
    const std::size_t quote = text.find('"', start);
    out.text(text.substr(start, quote == std::string_view::npos ? std::string_view::npos : quote + 1 - start));
    if (quote == std::string_view::npos) break;
    out.text("\"");
    start = quote + 1;
  }
  out.text("\"");
}
