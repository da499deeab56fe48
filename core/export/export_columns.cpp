#include "export/export_columns.h"

#include <array>
#include <cmath>

#include "decoders/gps/position_rules.h"
#include "text/utc_text.h"

namespace {

using row = sampled_row;
using writer = output_writer;

// The nearest whole number (halves away from zero).
long long whole_of(double v) { return static_cast<long long>(v < 0.0 ? v - 0.5 : v + 0.5); }
void put_whole(writer& out, double v) { out.line(OUT_FORMAT("{}"), whole_of(v)); }

template <typename T>
void put_int(writer& out, T v) {
  out.line(OUT_FORMAT("{}"), v);
}

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
void put_cht(writer& out, const row& r, std::uint16_t v) {
  if (r.units->current().cht == r.units->report().cht) {
    put_int(out, v);
  } else {
    put_whole(out, r.units->cht(v));
  }
}
template <typename T>
void put_temperature(writer& out, const row& r, T v) {
  if (r.units->current().other_temperatures == r.units->report().other_temperatures) {
    put_int(out, v);
  } else {
    put_whole(out, r.units->temperature(v));
  }
}
void put_fluid(writer& out, const row& r, double v) { out.line(OUT_FORMAT("{}"), fixed(r.units->fluid(v), 1)); }

// Coordinates that name no place leave both cells empty; the fix's other cells stay.
bool in_range(const gps_fix& fix) { return in_position_range(fix.latitude_deg, fix.longitude_deg); }
void put_position(writer& out, float degrees) { out.line(OUT_FORMAT("{}"), fixed(static_cast<double>(degrees), 6)); }

#define CELL(body) [](writer& out, const row& r) { body; }

constexpr column_unit F = column_unit::fixed;

const std::array columns = {
    export_column{"time_utc", "", F, CELL(if (r.has_utc) out.text(iso8601_utc_ms(r.utc_ms).view()))},
    export_column{"log_time_s", "s", F, CELL(out.line(OUT_FORMAT("{}"), fixed_ratio(r.log_ms, 1000, 3)))},
    // GPS 1
    export_column{"latitude_deg", "deg", F, CELL(if (r.gps_1 && in_range(*r.gps_1)) put_position(out, r.gps_1->latitude_deg))},
    export_column{"longitude_deg", "deg", F, CELL(if (r.gps_1 && in_range(*r.gps_1)) put_position(out, r.gps_1->longitude_deg))},
    export_column{"gps_altitude_ft", "ft", F,
                  CELL(if (r.gps_1 && r.gps_1->has_altitude) put_whole(out, r.gps_1->altitude_ft))},
    export_column{
        "ground_speed_kt", "kt", F,
        CELL(if (r.gps_1 && r.gps_1->has_ground_speed) row_values::write_gps_number(out, r.gps_1->ground_speed_kt))},
    export_column{"track_deg", "deg", F,
                  CELL(if (r.gps_1 && r.gps_1->has_track) row_values::write_gps_number(out, r.gps_1->track_deg))},
    export_column{"gps_valid", "", F, CELL(if (r.gps_1) put_int(out, r.gps_1->receiver_valid ? 1 : 0))},
    // AHRS air data and attitude
    export_column{"pressure_altitude_ft", "ft", F, CELL(if (r.ahrs) put_int(out, r.ahrs->pressure_alt_ft))},
    export_column{"ias_kt", "kt", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), fixed(r.ahrs->ias_kt(), 2)))},
    export_column{"vertical_speed_fpm", "fpm", F, CELL(if (r.ahrs) put_int(out, r.ahrs->vsi_fpm))},
    export_column{"pitch_deg", "deg", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), decimals(r.ahrs->pitch, 2)))},
    export_column{"roll_deg", "deg", F, CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), decimals(r.ahrs->roll, 2)))},
    export_column{"heading_deg", "deg", F,
                  CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), decimals(r.ahrs->heading(), 2)))},
    export_column{"normal_acceleration_g", "G", F,
                  CELL(if (r.ahrs) out.line(OUT_FORMAT("{}"), fixed(r.ahrs->acceleration_g(), 2)))},
    // EIS
    export_column{"rpm", "rpm", F, CELL(if (r.eis) put_int(out, r.eis->rpm))},
    export_column{"rpm_2", "rpm", F, CELL(if (r.eis) put_int(out, r.eis->rpm_2))},
    export_column{"cht1", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[0])), 1},
    export_column{"cht2", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[1])), 2},
    export_column{"cht3", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[2])), 3},
    export_column{"cht4", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[3])), 4},
    export_column{"cht5", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[4])), 5},
    export_column{"cht6", "", column_unit::cht, CELL(if (r.eis) put_cht(out, r, r.eis->cht[5])), 6},
    export_column{"egt1", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[0])), 1},
    export_column{"egt2", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[1])), 2},
    export_column{"egt3", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[2])), 3},
    export_column{"egt4", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[3])), 4},
    export_column{"egt5", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[4])), 5},
    export_column{"egt6", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->egt[5])), 6},
    export_column{"oil_temp", "", column_unit::temperature, CELL(if (r.eis) put_temperature(out, r, r.eis->oil_temp))},
    export_column{"oil_pressure_psi", "psi", F, CELL(if (r.eis) put_int(out, int{r.eis->oil_pressure_psi}))},
    export_column{"coolant_temp", "", column_unit::temperature,
                  CELL(if (r.eis) put_temperature(out, r, r.eis->coolant_temp))},
    export_column{"carb_temp", "", column_unit::temperature,
                  CELL(if (r.eis) put_temperature(out, r, r.eis->carb_temp))},
    export_column{"fuel_flow", "", column_unit::fuel_flow,
                  CELL(if (r.eis) put_fluid(out, r, r.eis->fuel_flow.value()))},
    export_column{"fuel_qty", "", column_unit::fuel, CELL(if (r.eis) put_fluid(out, r, r.eis->fuel_qty.value()))},
    export_column{"volts", "V", F, CELL(if (r.eis) out.line(OUT_FORMAT("{}"), decimals(r.eis->volts, 1)))},
    export_column{"oat_c", "C", F, CELL(if (r.eis) put_int(out, r.eis->outside_temp.whole()))},
    export_column{"baro_inhg", "inHg", F, CELL(if (r.eis) out.line(OUT_FORMAT("{}"), decimals(r.eis->baroset, 2)))},
    export_column{"eis_altitude_ft", "ft", F, CELL(if (r.eis) put_int(out, r.eis->altitude.whole()))},
    export_column{"eis_vertical_speed_fpm", "fpm", F, CELL(if (r.eis) put_int(out, r.eis->vertical_speed.whole()))},
    export_column{"eis_airspeed", "", F, CELL(if (r.eis) put_int(out, r.eis->airspeed))},
    export_column{"eis_unit_temp", "", F, CELL(if (r.eis) put_int(out, int{r.eis->unit_temp}))},
    export_column{"engine_time_h", "h", F,
                  CELL(if (r.eis) out.line(OUT_FORMAT("{}"), decimals(r.eis->elapsed_time, 1)))},
    export_column{"flight_timer_s", "s", F,
                  CELL(if (r.eis) put_int(
                      out, r.eis->flight_timer[0] * 3600 + r.eis->flight_timer[1] * 60 + r.eis->flight_timer[2]))},
    export_column{"fuel_endurance_min", "min", F,
                  CELL(if (r.eis) put_int(out, r.eis->fuel_endurance[0] * 60 + r.eis->fuel_endurance[1]))},
    export_column{"aux1", "", F, CELL(if (r.eis) put_int(out, r.eis->aux[0]))},
    export_column{"aux2", "", F, CELL(if (r.eis) put_int(out, r.eis->aux[1]))},
    export_column{"aux3", "", F, CELL(if (r.eis) put_int(out, r.eis->aux[2]))},
    export_column{"aux4", "", F, CELL(if (r.eis) put_int(out, r.eis->aux[3]))},
    export_column{"aux5", "", F, CELL(if (r.eis) put_int(out, r.eis->aux[4]))},
    export_column{"aux6", "", F, CELL(if (r.eis) put_int(out, r.eis->aux[5]))},
    // AHRS low rate
    export_column{"ahrs_oat_c", "C", F, CELL(if (r.ahrs_lr) put_int(out, int{r.ahrs_lr->outside_temp_c}))},
    export_column{"ahrs_volts1", "V", F,
                  CELL(if (r.ahrs_lr) out.line(OUT_FORMAT("{}"), decimals(r.ahrs_lr->voltage[0], 2)))},
    export_column{"ahrs_volts2", "V", F,
                  CELL(if (r.ahrs_lr) out.line(OUT_FORMAT("{}"), decimals(r.ahrs_lr->voltage[1], 2)))},
    export_column{"ahrs_volts3", "V", F,
                  CELL(if (r.ahrs_lr) out.line(OUT_FORMAT("{}"), decimals(r.ahrs_lr->voltage[2], 2)))},
    // Analog inputs
    export_column{"analog_volts1", "V", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->voltage[0], 2)))},
    export_column{"analog_volts2", "V", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->voltage[1], 2)))},
    export_column{"analog_volts3", "V", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->voltage[2], 2)))},
    export_column{"localiser_dev", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->localiser_deviation, 2)))},
    export_column{"localiser_flag", "", F, CELL(if (r.analog) out.text(flag_text(r.analog->localiser_flag)))},
    export_column{"glideslope_dev", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->glide_deviation, 2)))},
    export_column{"glideslope_flag", "", F, CELL(if (r.analog) out.text(flag_text(r.analog->glide_flag)))},
    export_column{"analog_internal_temp", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->internal_temp, 2)))},
    export_column{"analog_input1", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->general[0], 2)))},
    export_column{"analog_input2", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->general[1], 2)))},
    export_column{"analog_input3", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->general[2], 2)))},
    export_column{"analog_input4", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->general[3], 2)))},
    export_column{"analog_input5", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->general[4], 2)))},
    export_column{"analog_input6", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->general[5], 2)))},
    export_column{"analog_input7", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->general[6], 2)))},
    export_column{"analog_input8", "", F,
                  CELL(if (r.analog) out.line(OUT_FORMAT("{}"), fixed(r.analog->general[7], 2)))},
    // GPS 2
    export_column{"gps2_latitude_deg", "deg", F, CELL(if (r.gps_2 && in_range(*r.gps_2)) put_position(out, r.gps_2->latitude_deg))},
    export_column{"gps2_longitude_deg", "deg", F, CELL(if (r.gps_2 && in_range(*r.gps_2)) put_position(out, r.gps_2->longitude_deg))},
    export_column{"gps2_altitude_ft", "ft", F,
                  CELL(if (r.gps_2 && r.gps_2->has_altitude) put_whole(out, r.gps_2->altitude_ft))},
    export_column{
        "gps2_ground_speed_kt", "kt", F,
        CELL(if (r.gps_2 && r.gps_2->has_ground_speed) row_values::write_gps_number(out, r.gps_2->ground_speed_kt))},
    export_column{"gps2_track_deg", "deg", F,
                  CELL(if (r.gps_2 && r.gps_2->has_track) row_values::write_gps_number(out, r.gps_2->track_deg))},
    export_column{"gps2_valid", "", F, CELL(if (r.gps_2) put_int(out, r.gps_2->receiver_valid ? 1 : 0))},
};

#undef CELL

}  // namespace

std::span<const export_column> csv_columns() { return columns; }

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

namespace row_values {

void write_gps_number(output_writer& out, double value) {
  if (!(std::abs(value) < 1e9)) {
    out.line(OUT_FORMAT("{}"), fixed(value, 2));
    return;
  }
  const long long hundredths = whole_of(value * 100.0);
  if (hundredths % 100 == 0) {
    out.line(OUT_FORMAT("{}"), hundredths / 100);
  } else if (hundredths % 10 == 0) {
    out.line(OUT_FORMAT("{}"), fixed_ratio(hundredths / 10, 10, 1));
  } else {
    out.line(OUT_FORMAT("{}"), fixed(value, 2));
  }
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
