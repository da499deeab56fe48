// The flight-path pass: after every record the latest-value cache is sampled into a
// candidate point, which is kept when position, pressure altitude or attitude changed.
#include "path/summary_path.h"

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "decoders/ahrs.h"
#include "decoders/eis.h"
#include "decoders/gps_coordinates.h"
#include "records/byte_order.h"
#include "records/library_state.h"
#include "records/record_reader.h"

namespace {

// Fields the path reads from the cached AHRS high-rate payload (host order once converted).
constexpr std::size_t ahrs_hr_field(std::size_t sub_offset) {
  return ahrs_log_entry::sub_payload + sub_offset;
}
constexpr std::size_t ahrs_hr_roll_angle_offset = ahrs_hr_field(ahrs_hr_log_entry::roll_angle);
constexpr std::size_t ahrs_hr_pitch_angle_offset = ahrs_hr_field(ahrs_hr_log_entry::pitch_angle);
constexpr std::size_t ahrs_hr_yaw_angle_offset = ahrs_hr_field(ahrs_hr_log_entry::yaw_angle);
constexpr std::size_t ahrs_hr_pressure_alt_offset = ahrs_hr_field(ahrs_hr_log_entry::pressure_alt);
constexpr std::size_t ahrs_hr_asi_offset = ahrs_hr_field(ahrs_hr_log_entry::asi);

constexpr int pressure_alt_bias = 5000;  // the AHRS logs feet + 5000

// Attitude angles are signed fractions of a half turn.
float ahrs_degrees(std::int16_t raw) { return static_cast<float>(raw * 180.0 / 32768.0); }

// A number kept to the 16 bits of a path point field (modular, as the field's width says).
std::int16_t low_16_bits(int value) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
}

// The numbers of one GPS fix as a path point holds them.
struct gps_point_fields {
  float latitude;
  float longitude;
  std::int16_t gps_altitude;
  std::int16_t track;
  std::int16_t ground_speed;
};

void write_gps_fields(const gps_point_fields& g, path_point* point) {
  point->latitude = g.latitude;
  point->longitude = g.longitude;
  point->gps_altitude = g.gps_altitude;
  point->track = g.track;
  point->ground_speed = g.ground_speed;
}

gps_point_fields convert_gps_fields(const gps_composite_state& gps) {
  gps_point_fields g{};
  switch (gps.format) {
    case gps_format_aviation:
    case gps_format_aviation_stx: {
      const gps_aviation_fields& f = gps.fields.aviation;
      g.latitude = aviation_latitude_decimal(f.latitude);
      g.longitude = aviation_longitude_decimal(f.longitude);
      g.gps_altitude = low_16_bits(whole_number(f.altitude));
      g.track = low_16_bits(whole_number(f.track));
      g.ground_speed = low_16_bits(whole_number(f.ground_speed));
      break;
    }
    case gps_format_nmea: {
      const gps_nmea_fields& f = gps.fields.nmea;
      g.latitude = nmea_latitude_decimal(f.latitude, f.latitude_hemisphere);
      g.longitude = nmea_longitude_decimal(f.longitude, f.longitude_hemisphere);
      g.gps_altitude = 0;
      g.ground_speed = low_16_bits(whole_number(f.ground_speed));
      g.track = low_16_bits(whole_number(f.track));
      break;
    }
    default: break;
  }
  return g;
}

// A fix changes about once a second while candidates are built for every record, so the
// numbers of the last fix are kept and its texts read again only when they change.
void take_gps_fields(const gps_composite_state& gps, path_point* point) {
  static gps_fields last_fields;
  static std::int32_t last_format = -1;
  static gps_point_fields last_numbers;
  if (gps.format != gps_format_aviation && gps.format != gps_format_aviation_stx &&
      gps.format != gps_format_nmea) {
    return;  // no sentence format: the slot keeps the position it held
  }
  if (gps.format != last_format || std::memcmp(&gps.fields, &last_fields, sizeof last_fields) != 0) {
    last_numbers = convert_gps_fields(gps);
    last_fields = gps.fields;
    last_format = gps.format;
  }
  write_gps_fields(last_numbers, point);
}

// The path pass clears the record header fields and the raw bytes of the previous record,
// but not the payload: bytes past a short record's length keep what earlier records left
// there (the XML pass clears everything).
void clear_working_record(efis_record& record) {
  const std::size_t used_raw = record.length < raw_payload_size ? record.length : raw_payload_size;
  std::memset(record.raw, 0, used_raw);
  record.source_type = 0;
  record.timestamp = 0;
  record.length = 0;
  record.swapped = 0;
  record.selected = 0;
}

void interpolate_run(path_point* points, std::int32_t first, std::int32_t last) {
  const path_point& a = points[first];
  const path_point& b = points[last + 1];
  const std::uint32_t dt = b.timestamp - a.timestamp;
  // Same time at both ends: there is no line to spread the run along.
  if (dt == 0) return;
  const double lat_step = (static_cast<double>(b.latitude) - static_cast<double>(a.latitude)) / dt;
  const double lon_step =
      (static_cast<double>(b.longitude) - static_cast<double>(a.longitude)) / dt;
  const std::uint32_t a_timestamp = a.timestamp;
  for (std::int32_t k = first; k <= last; ++k) {
    path_point& p = points[k];
    const std::uint32_t since_a = p.timestamp - a_timestamp;
    p.latitude = static_cast<float>(lat_step * since_a + p.latitude);
    p.longitude = static_cast<float>(lon_step * since_a + p.longitude);
  }
}

}  // namespace

void process_summary_to_summary_path(const summary_record* summary, path_point* point) {
  take_gps_fields(summary->gps_1, point);

  const std::uint8_t* ahrs = summary->ahrs_hr.payload;
  point->roll_angle = ahrs_degrees(s16_at(ahrs, ahrs_hr_roll_angle_offset));
  point->pitch_angle = ahrs_degrees(s16_at(ahrs, ahrs_hr_pitch_angle_offset));
  point->yaw_angle = ahrs_degrees(s16_at(ahrs, ahrs_hr_yaw_angle_offset));
  point->pressure_alt = low_16_bits(u16_at(ahrs, ahrs_hr_pressure_alt_offset) - pressure_alt_bias);
  point->asi = s16_at(ahrs, ahrs_hr_asi_offset);
  point->timestamp = summary->ahrs_hr.timestamp;

  point->tachometer = u16_at(summary->eis.payload, eis_log_entry::tachometer);
}

bool path_point_unchanged(const path_point& candidate, const path_point& last) {
  const auto within = [](float a, float b) { return std::fabs(a - b) <= path_attitude_threshold; };
  return candidate.latitude == last.latitude && candidate.longitude == last.longitude &&
         std::abs(int{candidate.pressure_alt} - int{last.pressure_alt}) <=
             path_pressure_alt_threshold &&
         within(candidate.pitch_angle, last.pitch_angle) &&
         within(candidate.roll_angle, last.roll_angle) &&
         within(candidate.yaw_angle, last.yaw_angle);
}

void straighten_summary_path(path_point* points, std::int32_t count) {
  bool run_open = false;
  std::int32_t first = 0;
  std::int32_t last = 0;
  for (std::int32_t i = 1; i < count - 1; ++i) {
    const path_point& here = points[i];
    const path_point& next = points[i + 1];
    if (here.latitude == next.latitude && here.longitude == next.longitude) {
      if (!run_open) {
        run_open = true;
        first = i;
      }
      last = i + 1;
    } else if (run_open) {
      interpolate_run(points, first, last);
      run_open = false;
    }
  }
  // A run that reaches the last stored point has nothing to aim at and stays as it is.
}

std::int32_t LOG_to_summary_path(const analog_input_const* constants,
                                 const library_options* options, FILE* input, FILE* output,
                                 FILE* debug, path_point* points, std::int32_t capacity) {
  static efis_record record;
  static record_reader reader;
  std::memset(&record, 0, sizeof record);
  if (capacity > 0) std::memset(points, 0, sizeof(path_point) * static_cast<std::size_t>(capacity));
  begin_pass(constants, options, input, output, debug, pass_kind::path);
  reader.reset(input);

  summary_record& cache = lib.summary;
  std::int32_t count = 1;
  const auto no_hook = [](std::uint32_t) {};
  for (;;) {
    clear_working_record(record);
    const read_outcome outcome = reader.next(record, no_hook);
    if (outcome == read_outcome::end) break;
    if (outcome == read_outcome::dropped) continue;

    swapendian_efis_record(&cache.ahrs_hr);
    swapendian_efis_record(&cache.eis);
    // Once the array is full no candidate is built; the rest is still read and dispatched.
    if (count < capacity) {
      path_point& candidate = points[count];
      process_summary_to_summary_path(&cache, &candidate);
      if (!path_point_unchanged(candidate, points[count - 1]) && cache.gps_1.valid != 0 &&
          candidate.latitude != 0.0f && candidate.longitude != 0.0f) {
        ++count;
      }
    }
    process_efis_record(&record);
  }

  straighten_summary_path(points, count);
  return count;
}
